#include "tools/vexattr/TokenDump.h"

#include <filesystem>
#include <memory>
#include <string_view>

#include "attrib/AttributeErrors.h"
#include "attrib/AttributeScanner.h"
#include "tools/vexattr/ValueText.h"

namespace vex::tools {
namespace {

struct FileCloser {
  void operator()(std::FILE* file) const { std::fclose(file); }
};

}  // namespace

TokenDumpResult DumpTokens(const std::string& fileName, std::FILE* out, std::string& error) {
  std::unique_ptr<std::FILE, FileCloser> file(std::fopen(fileName.c_str(), "rb"));
  std::error_code ignored;
  if (!file || std::filesystem::is_directory(fileName, ignored)) {
    return TokenDumpResult::CannotOpen;
  }
  AttributeErrorReporter errors;
  errors.SetFileName(fileName);
  AttributeScanner scanner(errors);
  scanner.Attach(file.get(), 0);
  scanner.ReadChar();
  for (;;) {
    if (!scanner.NextToken()) {
      error = errors.LastError();
      return TokenDumpResult::ScanFailed;
    }
    const std::string text = QuotedText(std::string_view(scanner.Text(), scanner.Length()));
    std::fprintf(out, "%d %s %u %s\n", static_cast<int>(scanner.Line()),
                 AttributeTokenName(scanner.Kind()), static_cast<unsigned>(scanner.Value()),
                 text.c_str());
    if (scanner.Kind() == AttributeToken::EndOfFile) {
      return TokenDumpResult::Done;
    }
  }
}

}  // namespace vex::tools
