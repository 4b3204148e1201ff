#include "ui/GameMessageReader.h"

#include <algorithm>
#include <limits>

namespace vex {

namespace {

constexpr std::size_t kMaxNumberCharacters = 15;

bool IsWhiteSpace(char c) {
  return c == ' ' || (c >= '\t' && c <= '\r');
}

int DigitValue(char c) {
  if (c >= '0' && c <= '9') {
    return c - '0';
  }
  if (c >= 'a' && c <= 'f') {
    return c - 'a' + 10;
  }
  if (c >= 'A' && c <= 'F') {
    return c - 'A' + 10;
  }
  return -1;
}

bool IsDigitOf(char c, int base) {
  const int digit = DigitValue(c);
  return digit >= 0 && digit < base;
}

}  // namespace

char GameMessageReader::Peek(std::size_t ahead) const {
  return position_ + ahead < data_.size() ? data_[position_ + ahead] : '\0';
}

void GameMessageReader::SkipWhiteSpace() {
  while (!AtEnd() && IsWhiteSpace(data_[position_])) {
    ++position_;
  }
}

bool GameMessageReader::Fail() {
  failed_ = true;
  return false;
}

bool GameMessageReader::Code(std::uint8_t& value) {
  if (failed_) {
    return false;
  }
  SkipWhiteSpace();
  return RawByte(value);
}

bool GameMessageReader::RawByte(std::uint8_t& value) {
  if (failed_ || AtEnd()) {
    return Fail();
  }
  value = static_cast<std::uint8_t>(data_[position_++]);
  return true;
}

bool GameMessageReader::Number(std::int32_t& value) {
  if (failed_) {
    return false;
  }
  SkipWhiteSpace();
  const std::size_t start = position_;
  const auto taken = [&] { return position_ - start; };
  bool negative = false;
  if (Peek() == '+' || Peek() == '-') {
    negative = Peek() == '-';
    ++position_;
  }
  int base = 10;
  std::int64_t magnitude = 0;
  bool anyDigit = false;
  if (Peek() == '0') {
    base = 8;
    anyDigit = true;
    ++position_;
    if ((Peek() == 'x' || Peek() == 'X') && IsDigitOf(Peek(1), 16)) {
      base = 16;
      ++position_;
    }
  }
  while (taken() < kMaxNumberCharacters && IsDigitOf(Peek(), base)) {
    magnitude = magnitude * base + DigitValue(Peek());
    anyDigit = true;
    ++position_;
  }
  if (!anyDigit) {
    return Fail();
  }
  // Fifteen characters hold at most 13 hexadecimal digits, far inside 64 bits.
  const std::int64_t number = negative ? -magnitude : magnitude;
  constexpr std::int64_t kMin = std::numeric_limits<std::int32_t>::min();
  constexpr std::int64_t kMax = std::numeric_limits<std::int32_t>::max();
  value = static_cast<std::int32_t>(std::clamp(number, kMin, kMax));
  return number >= kMin && number <= kMax ? true : Fail();
}

bool GameMessageReader::Line(std::string& text, std::size_t maxBytes) {
  if (failed_ || AtEnd()) {
    return Fail();
  }
  text.clear();
  while (!AtEnd() && data_[position_] != '\n') {
    if (text.size() < maxBytes) {
      text.push_back(data_[position_]);
    }
    ++position_;
  }
  if (!AtEnd()) {
    ++position_;
  }
  return true;
}

std::string_view GameMessageReader::Raw(std::size_t maxBytes) {
  if (failed_) {
    return {};
  }
  const std::string_view taken = data_.substr(position_, maxBytes);
  position_ += taken.size();
  return taken;
}

}  // namespace vex
