#include "attrib/AttributeFile.h"

#include <cstdio>
#include <filesystem>
#include <memory>

#include "attrib/AttributeParser.h"

namespace vex {
namespace {

struct FileCloser {
  void operator()(std::FILE* file) const { std::fclose(file); }
};

}  // namespace

CAttributeFile::CAttributeFile() : scanner_(errors_), store_(this) {}

CAttributeFile::~CAttributeFile() = default;

bool CAttributeFile::Parse(const std::string& fileName, std::int32_t characterOffset) {
  // Binary mode: carriage returns pass through and are whitespace, so CR LF files scan the same.
  std::unique_ptr<std::FILE, FileCloser> file(std::fopen(fileName.c_str(), "rb"));
  std::error_code ignored;
  if (!file || std::filesystem::is_directory(fileName, ignored)) {
    return false;
  }
  return Parse(file.get(), fileName, characterOffset);
}

bool CAttributeFile::Parse(std::FILE* stream, const std::string& fileName,
                           std::int32_t characterOffset) {
  errors_.SetFileName(fileName);
  scanner_.Attach(stream, characterOffset);
  AttributeParser parser(scanner_, store_, errors_);
  const bool parsed = parser.Run();
  scanner_.Detach();
  return parsed;
}

bool CAttributeFile::Exists(const char* tag, const char* symbol) const {
  if (tag == nullptr) {
    return false;
  }
  const AttributeSymbolTable* table = store_.FindTag(tag);
  if (table == nullptr) {
    return false;
  }
  return symbol == nullptr || table->contains(symbol);
}

std::int32_t CAttributeFile::SymbolLine(const char* tag, const char* symbol) const {
  const AttributeSymbol* found = store_.Find(tag, symbol);
  return found != nullptr ? found->line : 0;
}

void CAttributeFile::ReportAttributeError(const char* format, ...) {
  std::va_list args;
  va_start(args, format);
  errors_.ReportV(scanner_.Line(), format, args);
  va_end(args);
}

}  // namespace vex
