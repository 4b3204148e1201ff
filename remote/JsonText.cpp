#include "remote/JsonText.h"

#include <cstdio>

namespace vex::remote {

namespace {

// The length of the valid UTF-8 sequence at the start of the text, 0 when it is none.
std::size_t Utf8SequenceLength(std::string_view text) {
  const auto first = static_cast<unsigned char>(text[0]);
  std::size_t length = 0;
  unsigned lowest = 0;
  if (first >= 0xC2 && first <= 0xDF) {
    length = 2;
    lowest = 0x80;
  } else if (first >= 0xE0 && first <= 0xEF) {
    length = 3;
    lowest = 0x800;
  } else if (first >= 0xF0 && first <= 0xF4) {
    length = 4;
    lowest = 0x10000;
  } else {
    return 0;
  }
  if (text.size() < length) {
    return 0;
  }
  unsigned value = first & (0xFFu >> (length + 1));
  for (std::size_t i = 1; i < length; ++i) {
    const auto next = static_cast<unsigned char>(text[i]);
    if ((next & 0xC0) != 0x80) {
      return 0;
    }
    value = (value << 6) | (next & 0x3Fu);
  }
  const bool surrogate = value >= 0xD800 && value <= 0xDFFF;
  return value < lowest || value > 0x10FFFF || surrogate ? 0 : length;
}

}  // namespace

void AppendJsonString(std::string& out, std::string_view text) {
  out += '"';
  while (!text.empty()) {
    const auto byte = static_cast<unsigned char>(text[0]);
    std::size_t used = 1;
    if (byte == '"' || byte == '\\') {
      out += '\\';
      out += static_cast<char>(byte);
    } else if (byte < 0x20 || byte == 0x7F) {
      char escape[8];
      std::snprintf(escape, sizeof escape, "\\u%04x", byte);
      out += escape;
    } else if (byte < 0x80) {
      out += static_cast<char>(byte);
    } else if (const std::size_t length = Utf8SequenceLength(text)) {
      out.append(text.substr(0, length));
      used = length;
    } else {
      out += "\xEF\xBF\xBD";
    }
    text.remove_prefix(used);
  }
  out += '"';
}

}  // namespace vex::remote
