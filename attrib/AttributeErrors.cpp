#include "attrib/AttributeErrors.h"

#include <cstdio>
#include <vector>

namespace vex {
namespace {

__attribute__((format(printf, 1, 0))) std::string FormatV(const char* format, std::va_list args) {
  std::va_list measure;
  va_copy(measure, args);
  const int size = std::vsnprintf(nullptr, 0, format, measure);
  va_end(measure);
  if (size <= 0) {
    return {};
  }
  std::vector<char> text(static_cast<std::size_t>(size) + 1);
  std::vsnprintf(text.data(), text.size(), format, args);
  return std::string(text.data(), static_cast<std::size_t>(size));
}

}  // namespace

void AttributeErrorReporter::Report(std::int32_t line, const char* format, ...) {
  std::va_list args;
  va_start(args, format);
  ReportV(line, format, args);
  va_end(args);
}

void AttributeErrorReporter::ReportV(std::int32_t line, const char* format, std::va_list args) {
  const std::string message = FormatV(format, args);
  const std::string where = fileName_.empty()
                                ? "Line " + std::to_string(line)
                                : "File \"" + fileName_ + "\", line " + std::to_string(line);
  lastError_ = where + " :  " + message;
  if (callback_ != nullptr) {
    callback_(lastError_.c_str());
  }
}

}  // namespace vex
