// An attribute file read from memory, then every typed lookup on every symbol it stored: the
// lookups must answer (with a default or the value) whatever kind the symbol holds.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "attrib/AttributeFile.h"

namespace {

void LookUpEveryKind(vex::CAttributeFile& file, const char* tag, const char* symbol) {
  file.GetInt(tag, symbol, 0);
  file.GetDword(tag, symbol, 0);
  file.GetByte(tag, symbol, 0);
  file.GetBool(tag, symbol, false);
  file.GetFloat(tag, symbol, 0.0F);
  file.GetDouble(tag, symbol, 0.0);
  file.GetString(tag, symbol, "");
  file.GetRect(tag, symbol, vex::AttributeRect{});
  file.GetPoint(tag, symbol, vex::AttributePoint{});
  file.GetVector(tag, symbol, vex::AttributeVector{});
  file.GetRange(tag, symbol, vex::AttributeRange{});
  file.Exists(tag, symbol);
  file.SymbolLine(tag, symbol);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  // fmemopen refuses an empty buffer; an empty file is read through a one-byte blank instead.
  std::vector<char> text(data, data + size);
  if (text.empty()) {
    text.push_back(' ');
  }
  std::FILE* stream = fmemopen(text.data(), text.size(), "r");
  if (stream == nullptr) {
    return 0;
  }
  vex::CAttributeFile file;
  file.Parse(stream, "fuzz.txt");
  std::fclose(stream);

  for (const vex::AttributeTagListing& tag : file.ListStore()) {
    const std::string tagName(tag.name);
    for (const auto& [name, symbol] : tag.symbols) {
      const std::string symbolName(name);
      LookUpEveryKind(file, tagName.c_str(), symbolName.c_str());
    }
  }
  LookUpEveryKind(file, "Settings", "missing");
  return 0;
}
