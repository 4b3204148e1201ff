#include "attrib/AttributeParser.h"

#include "attrib/ValueConversion.h"

namespace vex {
namespace {

constexpr const char* kFormatError = "A formatting error in the attribute file was encountered";

}  // namespace

bool AttributeParser::Run() {
  scanner_.ReadChar();
  if (!scanner_.NextToken()) {
    return false;
  }
  if (scanner_.Kind() == AttributeToken::EndOfFile) {
    return true;
  }
  if (scanner_.Kind() != AttributeToken::TagOpen) {
    return false;
  }
  for (;;) {
    if (!ParseTagHeader() || !scanner_.NextToken()) {
      return false;
    }
    if (scanner_.Kind() == AttributeToken::EndOfFile) {
      return true;
    }
    if (scanner_.Kind() == AttributeToken::TagOpen) {
      continue;
    }
    if (scanner_.Kind() != AttributeToken::Identifier) {
      return false;
    }
    for (;;) {
      if (!ParseSymbol() || !scanner_.NextToken()) {
        return false;
      }
      if (scanner_.Kind() == AttributeToken::EndOfFile) {
        return true;
      }
      if (scanner_.Kind() == AttributeToken::TagOpen) {
        break;
      }
      if (scanner_.Kind() != AttributeToken::Identifier) {
        errors_.Report(scanner_.Line(), "%s.", kFormatError);
        return false;
      }
    }
  }
}

void AttributeParser::ReportFormatError() {
  errors_.Report(scanner_.Line(), "%s", kFormatError);
}

bool AttributeParser::ParseTagHeader() {
  if (!scanner_.NextToken()) {
    return false;
  }
  if (scanner_.Kind() != AttributeToken::Identifier) {
    ReportFormatError();
    return false;
  }
  currentTagName_ = scanner_.Text();
  if (store_.FindTag(currentTagName_) != nullptr) {
    errors_.Report(scanner_.Line(), "Duplicate tag encountered - %s", currentTagName_.c_str());
    return false;
  }
  currentTag_ = &store_.AddTag(currentTagName_);
  if (!scanner_.NextToken()) {
    return false;
  }
  if (scanner_.Kind() != AttributeToken::TagClose) {
    ReportFormatError();
    return false;
  }
  return true;
}

bool AttributeParser::ParseSymbol() {
  currentSymbolName_ = scanner_.Text();
  const std::int32_t nameLine = scanner_.Line();
  // A duplicate is parsed in full but not stored: the first value stays and the parse goes on.
  const bool duplicate = currentTag_->contains(currentSymbolName_);
  if (duplicate) {
    errors_.Report(scanner_.Line(), "duplicate symbol encountered - %s",
                   currentSymbolName_.c_str());
  }
  if (!scanner_.NextToken()) {
    return false;
  }
  if (scanner_.Kind() != AttributeToken::Equals) {
    ReportFormatError();
    return false;
  }
  ParsedValue value;
  value.line = nameLine;
  if (!scanner_.NextToken() || !ParseValue(value)) {
    return false;
  }
  if (!duplicate) {
    StoreValue(value);
  }
  return true;
}

bool AttributeParser::ParseValue(ParsedValue& value) {
  const std::string_view text(scanner_.Text(), scanner_.Length());
  switch (scanner_.Kind()) {
    case AttributeToken::Integer:
    case AttributeToken::NegativeInteger:
      value.type = AttributeType::Int;
      value.intValue = TextToInt(text);
      return true;
    case AttributeToken::Double:
      value.type = AttributeType::Double;
      value.doubleValue = TextToDouble(text);
      return true;
    case AttributeToken::Float:
      value.type = AttributeType::Float;
      value.floatValue = NarrowToFloat(TextToDouble(text));
      return true;
    case AttributeToken::String:
      value.type = AttributeType::String;
      value.text = text;
      return true;
    case AttributeToken::Bool:
      value.type = AttributeType::Bool;
      value.boolValue = scanner_.Value() != 0;
      return true;
    case AttributeToken::Rect: {
      value.type = AttributeType::Rect;
      std::int32_t numbers[4];
      TextToInts(text, numbers, 4);
      value.rect = {numbers[0], numbers[1], numbers[2], numbers[3]};
      return true;
    }
    case AttributeToken::Point: {
      value.type = AttributeType::Point;
      std::int32_t numbers[2];
      TextToInts(text, numbers, 2);
      value.point = {numbers[0], numbers[1]};
      return true;
    }
    case AttributeToken::Vector: {
      value.type = AttributeType::Vector;
      double numbers[3];
      TextToDoubles(text, numbers, 3);
      value.vector = {numbers[0], numbers[1], numbers[2]};
      return true;
    }
    case AttributeToken::Range: {
      value.type = AttributeType::Range;
      double numbers[2];
      TextToDoubles(text, numbers, 2);
      value.range = {numbers[0], numbers[1]};
      return true;
    }
    case AttributeToken::DwordPrefix:
    case AttributeToken::FloatPrefix:
    case AttributeToken::BytePrefix:
      break;
    default:
      errors_.Report(scanner_.Line(), "Invalid token encountered.");
      return false;
  }

  const AttributeToken prefix = scanner_.Kind();
  const AttributeToken expected =
      prefix == AttributeToken::FloatPrefix ? AttributeToken::Double : AttributeToken::Integer;
  if (!scanner_.NextToken()) {
    return false;
  }
  if (scanner_.Kind() != expected) {
    ReportFormatError();
    return false;
  }
  const std::string_view number(scanner_.Text(), scanner_.Length());
  if (prefix == AttributeToken::DwordPrefix) {
    value.type = AttributeType::Dword;
    value.dwordValue = TextToDword(number);
  } else if (prefix == AttributeToken::FloatPrefix) {
    value.type = AttributeType::Float;
    value.floatValue = NarrowToFloat(TextToDouble(number));
  } else {
    value.type = AttributeType::Byte;
    value.byteValue = static_cast<std::uint8_t>(TextToInt(number) & 0xFF);
  }
  return true;
}

// Without storage for the record or its compound value the symbol is left out.
void AttributeParser::StoreValue(const ParsedValue& value) {
  AttributeSymbol record;
  record.type = value.type;
  record.line = value.line;
  switch (value.type) {
    case AttributeType::Int:
      record.intValue = value.intValue;
      break;
    case AttributeType::Dword:
      record.dwordValue = value.dwordValue;
      break;
    case AttributeType::Byte:
      record.byteValue = value.byteValue;
      break;
    case AttributeType::Bool:
      record.boolValue = value.boolValue;
      break;
    case AttributeType::Double:
      record.doubleValue = value.doubleValue;
      break;
    case AttributeType::Float:
      record.floatValue = value.floatValue;
      break;
    case AttributeType::String:
      record.stringValue = &store_.Intern(value.text);
      break;
    case AttributeType::Rect:
      record.rectValue = store_.NewRect(value.rect);
      if (record.rectValue == nullptr) {
        return;
      }
      break;
    case AttributeType::Point:
      record.pointValue = store_.NewPoint(value.point);
      if (record.pointValue == nullptr) {
        return;
      }
      break;
    case AttributeType::Vector:
      record.vectorValue = store_.NewVector(value.vector);
      if (record.vectorValue == nullptr) {
        return;
      }
      break;
    case AttributeType::Range:
      record.rangeValue = store_.NewRange(value.range);
      if (record.rangeValue == nullptr) {
        return;
      }
      break;
  }
  store_.AddSymbol(*currentTag_, currentSymbolName_, record);
}

}  // namespace vex
