#include "remote/Utf8.h"

#include <cstdio>

namespace vex::remote {

std::size_t Utf8SequenceLength(std::string_view text) {
  if (text.empty()) {
    return 0;
  }
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

std::string PrintableUtf8(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  std::size_t at = 0;
  while (at < text.size()) {
    const auto byte = static_cast<unsigned char>(text[at]);
    const std::size_t length = byte >= 0x80 ? Utf8SequenceLength(text.substr(at)) : 0;
    const bool c1Control =
        length == 2 && byte == 0xC2 && static_cast<unsigned char>(text[at + 1]) < 0xA0;
    if (byte >= 0x20 && byte < 0x7F) {
      out.push_back(static_cast<char>(byte));
      ++at;
      continue;
    }
    if (length > 0 && !c1Control) {
      out.append(text.substr(at, length));
      at += length;
      continue;
    }
    const std::size_t count = length > 0 ? length : 1;
    for (std::size_t i = 0; i < count; ++i) {
      const auto escaped = static_cast<unsigned char>(text[at + i]);
      if (escaped == '\n') {
        out += "\\n";
      } else if (escaped == '\r') {
        out += "\\r";
      } else if (escaped == '\t') {
        out += "\\t";
      } else {
        char hex[5];
        std::snprintf(hex, sizeof hex, "\\x%02x", escaped);
        out += hex;
      }
    }
    at += count;
  }
  return out;
}

}  // namespace vex::remote
