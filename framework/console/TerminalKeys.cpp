#include "framework/console/TerminalKeys.h"

namespace vex::fw {

namespace {

constexpr char kEscape = '\x1b';
// Longer than any key a terminal sends; a sequence that runs on past it is dropped.
constexpr std::size_t kLongestKey = 32;

enum class Found { Whole, Partial, Bad };

// Whole: the key's length. Bad: how many bytes to drop before a key can begin.
struct Cut {
  Found What = Found::Partial;
  std::size_t Length = 0;
};

unsigned char ByteAt(std::string_view bytes, std::size_t at) {
  return static_cast<unsigned char>(bytes[at]);
}

// The UTF-8 character at `at`, or the bytes before one can begin: overlong forms, surrogates and
// code points beyond U+10FFFF are no characters.
Cut CharacterAt(std::string_view bytes, std::size_t at) {
  const unsigned char lead = ByteAt(bytes, at);
  std::size_t length = 0;
  unsigned char lowest = 0x80;
  unsigned char highest = 0xBF;
  if (lead < 0x80) {
    return {Found::Whole, at + 1};
  }
  if (lead >= 0xC2 && lead <= 0xDF) {
    length = 2;
  } else if (lead >= 0xE0 && lead <= 0xEF) {
    length = 3;
    lowest = lead == 0xE0 ? 0xA0 : lowest;
    highest = lead == 0xED ? 0x9F : highest;
  } else if (lead >= 0xF0 && lead <= 0xF4) {
    length = 4;
    lowest = lead == 0xF0 ? 0x90 : lowest;
    highest = lead == 0xF4 ? 0x8F : highest;
  } else {
    return {Found::Bad, at + 1};
  }
  for (std::size_t i = 1; i < length; ++i) {
    if (at + i >= bytes.size()) {
      return {Found::Partial, 0};
    }
    const unsigned char next = ByteAt(bytes, at + i);
    const bool fits = i == 1 ? next >= lowest && next <= highest : (next & 0xC0) == 0x80;
    if (!fits) {
      return {Found::Bad, at + i};
    }
  }
  return {Found::Whole, at + length};
}

// Parameter and intermediate bytes, then one final byte.
Cut ControlSequenceFrom(std::string_view bytes, std::size_t at) {
  for (std::size_t i = at; i < bytes.size(); ++i) {
    const unsigned char c = ByteAt(bytes, i);
    if (c >= 0x40 && c <= 0x7E) {
      return {Found::Whole, i + 1};
    }
    if (c < 0x20 || c > 0x3F) {
      return {Found::Bad, i};
    }
  }
  return {Found::Partial, 0};
}

Cut KeyAtFront(std::string_view bytes) {
  if (bytes.front() != kEscape) {
    return CharacterAt(bytes, 0);
  }
  // Alt with an arrow is Esc and the arrow's own sequence.
  std::size_t at = 1;
  if (bytes.size() > at && bytes[at] == kEscape) {
    ++at;
  }
  if (bytes.size() <= at) {
    return {Found::Partial, 0};
  }
  if (bytes[at] == '[') {
    return ControlSequenceFrom(bytes, at + 1);
  }
  if (bytes[at] == 'O') {
    if (bytes.size() <= at + 1) {
      return {Found::Partial, 0};
    }
    const unsigned char c = ByteAt(bytes, at + 1);
    return c >= 0x20 && c <= 0x7E ? Cut{Found::Whole, at + 2} : Cut{Found::Bad, at + 1};
  }
  return CharacterAt(bytes, at);
}

}  // namespace

void TerminalKeys::Feed(std::string_view bytes) {
  pending_.append(bytes);
}

std::optional<std::string> TerminalKeys::Next() {
  while (!pending_.empty()) {
    const Cut cut = KeyAtFront(pending_);
    if (cut.What == Found::Partial) {
      if (pending_.size() > kLongestKey) {
        pending_.clear();
      }
      return std::nullopt;
    }
    if (cut.What == Found::Bad) {
      pending_.erase(0, cut.Length);
      continue;
    }
    std::string key = pending_.substr(0, cut.Length);
    pending_.erase(0, cut.Length);
    return key;
  }
  return std::nullopt;
}

}  // namespace vex::fw
