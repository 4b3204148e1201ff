#include "tools/vexattr/StoreDump.h"

#include <algorithm>
#include <vector>

#include "tools/vexattr/ValueText.h"

namespace vex::tools {

void DumpStore(const CAttributeFile& file, std::FILE* out) {
  std::vector<AttributeTagListing> tags = file.ListStore();
  std::sort(tags.begin(), tags.end(), [](const auto& a, const auto& b) { return a.name < b.name; });
  for (AttributeTagListing& tag : tags) {
    std::fprintf(out, "[%.*s]%s\n", static_cast<int>(tag.name.size()), tag.name.data(),
                 tag.expansion ? " expansion" : "");
    std::sort(tag.symbols.begin(), tag.symbols.end(),
              [](const auto& a, const auto& b) { return a.first < b.first; });
    for (const auto& [name, symbol] : tag.symbols) {
      const std::string value = SymbolText(*symbol);
      std::fprintf(out, "%.*s = %s\n", static_cast<int>(name.size()), name.data(), value.c_str());
    }
  }
}

}  // namespace vex::tools
