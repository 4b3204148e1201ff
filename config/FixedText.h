#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <span>
#include <string_view>

#include "platform/ByteWriter.h"
#include "platform/TextCut.h"

namespace vex {

// Writes text into a fixed character field: cut to the field's size less one, between two
// characters, the rest of the field zero, so the field always ends with its terminator.
template <std::size_t N>
void WriteFixedText(char (&field)[N], std::string_view text) {
  static_assert(N > 0);
  std::memset(field, 0, N);
  platform::ByteWriter writer(
      std::span<std::uint8_t>(reinterpret_cast<std::uint8_t*>(field), N - 1));
  writer.PutText(platform::CutAtCharacter(text, N - 1));
}

// Writes bytes into a fixed character field: as many as fit before the terminator, wherever the
// cut falls, the rest of the field zero. For a password, which a player's must match byte for
// byte.
template <std::size_t N>
void WriteFixedBytes(char (&field)[N], std::string_view bytes) {
  static_assert(N > 0);
  std::memset(field, 0, N);
  std::memcpy(field, bytes.data(), std::min(bytes.size(), N - 1));
}

// The text of a fixed field up to its terminator, never past the field.
template <std::size_t N>
std::string_view FixedTextView(const char (&field)[N]) {
  return std::string_view(field, ::strnlen(field, N));
}

}  // namespace vex
