#include "remote/Utf8.h"

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

}  // namespace vex::remote
