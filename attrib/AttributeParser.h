#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "attrib/AttributeErrors.h"
#include "attrib/AttributeScanner.h"
#include "attrib/AttributeStore.h"

namespace vex {

struct ParsedValue {
  AttributeType type = AttributeType::Int;
  std::int32_t line = 0;
  std::int32_t intValue = 0;
  std::uint32_t dwordValue = 0;
  std::uint8_t byteValue = 0;
  bool boolValue = false;
  double doubleValue = 0.0;
  float floatValue = 0.0f;
  std::string_view text;
  AttributeRect rect;
  AttributePoint point;
  AttributeVector vector;
  AttributeRange range;
};

// The grammar of an attribute file: tag headers in square brackets, each followed by
// `Name = value` symbols. Runs over a scanner that has just been attached to the file.
class AttributeParser {
 public:
  AttributeParser(AttributeScanner& scanner, AttributeStore& store, AttributeErrorReporter& errors)
      : scanner_(scanner), store_(store), errors_(errors) {}

  bool Run();

 private:
  bool ParseTagHeader();
  bool ParseSymbol();
  // Converts the value at the current token, reading the second token of a typed prefix.
  bool ParseValue(ParsedValue& value);
  void StoreValue(const ParsedValue& value);
  void ReportFormatError();

  AttributeScanner& scanner_;
  AttributeStore& store_;
  AttributeErrorReporter& errors_;
  AttributeSymbolTable* currentTag_ = nullptr;
  std::string currentTagName_;
  std::string currentSymbolName_;
};

}  // namespace vex
