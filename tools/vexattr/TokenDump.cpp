#include "tools/vexattr/TokenDump.h"

#include <string_view>

#include "attrib/AttributeErrors.h"
#include "attrib/AttributeScanner.h"
#include "tools/vexattr/ValueText.h"

namespace vex::tools {

bool DumpTokens(std::FILE* file, const std::string& fileName, std::FILE* out, std::string& error) {
  AttributeErrorReporter errors;
  errors.SetFileName(fileName);
  AttributeScanner scanner(errors);
  scanner.Attach(file, 0);
  scanner.ReadChar();
  for (;;) {
    if (!scanner.NextToken()) {
      error = errors.LastError();
      return false;
    }
    const std::string text = QuotedText(std::string_view(scanner.Text(), scanner.Length()));
    std::fprintf(out, "%d %s %u %s\n", static_cast<int>(scanner.Line()),
                 AttributeTokenName(scanner.Kind()), static_cast<unsigned>(scanner.Value()),
                 text.c_str());
    if (scanner.Kind() == AttributeToken::EndOfFile) {
      return true;
    }
  }
}

}  // namespace vex::tools
