#include "remote/JsonWriter.h"

#include <charconv>
#include <cmath>

#include "remote/Utf8.h"

namespace vex::remote {

JsonWriter& JsonWriter::BeginObject() {
  return Open('{');
}

JsonWriter& JsonWriter::EndObject() {
  return Close('}');
}

JsonWriter& JsonWriter::BeginArray() {
  return Open('[');
}

JsonWriter& JsonWriter::EndArray() {
  return Close(']');
}

JsonWriter& JsonWriter::Key(std::string_view name) {
  BeginValue();
  AppendString(name);
  text_ += ':';
  afterValue_ = false;
  return *this;
}

JsonWriter& JsonWriter::String(std::string_view text) {
  BeginValue();
  AppendString(text);
  afterValue_ = true;
  return *this;
}

JsonWriter& JsonWriter::Integer(std::int64_t value) {
  BeginValue();
  text_ += std::to_string(value);
  afterValue_ = true;
  return *this;
}

JsonWriter& JsonWriter::Number(double value, int decimals) {
  BeginValue();
  // Room for the largest double written out in full.
  char digits[512];
  const auto written =
      std::to_chars(digits, digits + sizeof digits, value, std::chars_format::fixed, decimals);
  if (std::isfinite(value) && written.ec == std::errc{}) {
    text_.append(digits, written.ptr);
  } else {
    text_ += "null";
  }
  afterValue_ = true;
  return *this;
}

JsonWriter& JsonWriter::Bool(bool value) {
  BeginValue();
  text_ += value ? "true" : "false";
  afterValue_ = true;
  return *this;
}

JsonWriter& JsonWriter::Open(char bracket) {
  BeginValue();
  text_ += bracket;
  afterValue_ = false;
  return *this;
}

JsonWriter& JsonWriter::Close(char bracket) {
  text_ += bracket;
  afterValue_ = true;
  return *this;
}

void JsonWriter::BeginValue() {
  if (afterValue_) {
    text_ += ',';
  }
}

void JsonWriter::AppendString(std::string_view text) {
  static constexpr char kHex[] = "0123456789abcdef";
  text_ += '"';
  while (!text.empty()) {
    const auto byte = static_cast<unsigned char>(text[0]);
    std::size_t used = 1;
    if (byte == '"' || byte == '\\') {
      text_ += '\\';
      text_ += static_cast<char>(byte);
    } else if (byte == '\n') {
      text_ += "\\n";
    } else if (byte == '\t') {
      text_ += "\\t";
    } else if (byte < 0x20 || byte == 0x7F) {
      text_ += "\\u00";
      text_ += kHex[byte >> 4];
      text_ += kHex[byte & 0xF];
    } else if (byte < 0x80) {
      text_ += static_cast<char>(byte);
    } else if (const std::size_t length = Utf8SequenceLength(text)) {
      text_.append(text.substr(0, length));
      used = length;
    } else {
      text_ += "\xEF\xBF\xBD";
    }
    text.remove_prefix(used);
  }
  text_ += '"';
}

}  // namespace vex::remote
