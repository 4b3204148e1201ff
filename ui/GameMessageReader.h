#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace vex {

// Reads a game message front to back. The first read that fails makes every later read fail too,
// so a record list stops at the first field it cannot read.
class GameMessageReader {
 public:
  explicit GameMessageReader(std::string_view data) : data_(data) {}

  // White space skipped, then one byte unchanged (the type byte and the small codes).
  bool Code(std::uint8_t& value);
  // White space skipped, then a sign and digits, at most 15 characters, in the base that the
  // prefix picks ("0x" hexadecimal, "0" octal). A value beyond 32 bits is stored saturated and
  // still fails.
  bool Number(std::int32_t& value);
  // One byte unchanged, nothing skipped.
  bool RawByte(std::uint8_t& value);
  // Bytes up to a newline, at most maxBytes of them kept; the rest of a longer line and the
  // newline are consumed. Fails only when nothing is left to read.
  bool Line(std::string& text, std::size_t maxBytes);
  // Up to maxBytes bytes unchanged, whatever they are.
  std::string_view Raw(std::size_t maxBytes);

  bool Failed() const { return failed_; }

 private:
  bool AtEnd() const { return position_ >= data_.size(); }
  char Peek(std::size_t ahead = 0) const;
  void SkipWhiteSpace();
  bool Fail();

  std::string_view data_;
  std::size_t position_ = 0;
  bool failed_ = false;
};

}  // namespace vex
