#pragma once

#include <cstdarg>
#include <cstdint>
#include <string>

namespace vex {

// Forms every message of the attribute library, prefixed with where it happened, keeps the
// last one and hands it to an optional callback.
class AttributeErrorReporter {
 public:
  using Callback = void (*)(const char* message);

  void SetFileName(const std::string& fileName) { fileName_ = fileName; }
  const std::string& FileName() const { return fileName_; }
  void SetCallback(Callback callback) { callback_ = callback; }
  const std::string& LastError() const { return lastError_; }

  void Report(std::int32_t line, const char* format, ...) __attribute__((format(printf, 3, 4)));
  void ReportV(std::int32_t line, const char* format, std::va_list args)
      __attribute__((format(printf, 3, 0)));

 private:
  std::string fileName_;
  std::string lastError_;
  Callback callback_ = nullptr;
};

}  // namespace vex
