#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

namespace vex {

// Every byte belongs to exactly one class. The letters D W O R E F L A T B Y have classes of
// their own because they spell the typed prefixes and the exponent and float suffix letters;
// upper and lower case share a class.
enum class CharClass : std::uint8_t {
  D,
  W,
  O,
  R,
  E,
  F,
  L,
  A,
  T,
  B,
  Y,
  OtherLetter,
  Digit,
  LineFeed,
  CarriageReturn,
  Space,
  Tab,
  Ampersand,
  DoubleQuote,
  OpenParen,
  CloseParen,
  Asterisk,
  Plus,
  Minus,
  FullStop,
  Slash,
  Colon,
  Semicolon,
  Less,
  Equals,
  Greater,
  OpenBracket,
  CloseBracket,
  OpenBrace,
  CloseBrace,
  Bar,
  Comma,
  Underscore,
  Hash,
  Tilde,
  Backquote,
  At,
  Backslash,
  Apostrophe,
  Exclamation,
  Caret,
  Percent,
  Dollar,
  Question,
  Other,
  End,
};

inline constexpr std::size_t kCharClassCount = 51;

namespace detail {
extern const std::array<CharClass, 256> kCharClasses;
}  // namespace detail

// Called for every character of every file read, so it stays inline.
inline CharClass ClassOf(std::uint8_t character) {
  return detail::kCharClasses[character];
}

}  // namespace vex
