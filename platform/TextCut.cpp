#include "platform/TextCut.h"

namespace vex::platform {
namespace {

bool IsContinuation(unsigned char byte) {
  return (byte & 0xC0) == 0x80;
}

// Bytes of the character that a UTF-8 lead byte starts; 0 for a byte that starts none.
std::size_t SequenceLength(unsigned char lead) {
  if (lead >= 0xC2 && lead <= 0xDF) {
    return 2;
  }
  if (lead >= 0xE0 && lead <= 0xEF) {
    return 3;
  }
  if (lead >= 0xF0 && lead <= 0xF4) {
    return 4;
  }
  return 0;
}

}  // namespace

std::string_view CutAtCharacter(std::string_view text, std::size_t limit) {
  if (text.size() <= limit) {
    return text;
  }
  // The first byte left out continues a character when a lead byte at most three bytes before
  // it starts a character long enough to reach it, and the text holds that character whole.
  const auto byte = [&](std::size_t at) { return static_cast<unsigned char>(text[at]); };
  if (!IsContinuation(byte(limit))) {
    return text.substr(0, limit);
  }
  std::size_t start = limit;
  while (start > 0 && limit - start < 3 && IsContinuation(byte(start - 1))) {
    --start;
  }
  if (start == 0) {
    return text.substr(0, limit);
  }
  const std::size_t lead = start - 1;
  const std::size_t length = SequenceLength(byte(lead));
  if (length <= limit - lead || lead + length > text.size()) {
    return text.substr(0, limit);
  }
  for (std::size_t at = limit; at < lead + length; ++at) {
    if (!IsContinuation(byte(at))) {
      return text.substr(0, limit);
    }
  }
  return text.substr(0, lead);
}

}  // namespace vex::platform
