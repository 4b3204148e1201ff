#pragma once

#include <array>
#include <cstdint>
#include <cstdio>

namespace vex {

// Delivers a file one character at a time from 255-byte blocks and counts lines. The current
// character 0 stands for the end of input; EndOfInput() tells a real end from a 0 byte that came
// from the file (or a read failure), which must not end the input silently.
class CharReader {
 public:
  // Borrows `stream` until Detach(); resets line counting and empties the buffer.
  void Attach(std::FILE* stream, std::int32_t characterOffset);
  void Detach();

  void ReadChar() {
    if (cursor_ == filled_) {
      Refill();
      if (filled_ == 0) {
        return;
      }
    }
    const auto byte = static_cast<std::uint32_t>(static_cast<std::int8_t>(buffer_[cursor_++]));
    line_ += atLineStart_ ? 1 : 0;
    // Unsigned arithmetic keeps the subtraction defined for any offset; only the low byte counts.
    current_ = static_cast<std::uint8_t>(byte - static_cast<std::uint32_t>(offset_));
    atLineStart_ = current_ == '\n';
  }

  // Moves on as ReadChar() would while `stays` holds for the character after the current one,
  // copying each character it leaves to `kept` unless that is null, at most `room` of them. Ends
  // at the current block's end, so a run costs one call instead of one per character; returns
  // how many characters it left.
  template <typename Stays>
  std::size_t ReadRun(Stays stays, char* kept, std::size_t room) {
    std::size_t left = 0;
    std::int32_t line = line_;
    bool atLineStart = atLineStart_;
    std::uint8_t current = current_;
    std::size_t cursor = cursor_;
    // Locals, because the stores to `kept` could otherwise change any member as far as the
    // compiler knows, reloading them for every character.
    const char* const buffer = buffer_.data();
    const std::size_t filled = filled_;
    const auto offset = static_cast<std::uint32_t>(offset_);
    while (left < room) {
      if (kept != nullptr) {
        kept[left] = static_cast<char>(current);
      }
      ++left;
      if (cursor == filled) {
        cursor_ = cursor;
        line_ = line;
        atLineStart_ = atLineStart;
        ReadChar();
        return left;
      }
      const auto byte = static_cast<std::uint32_t>(static_cast<std::int8_t>(buffer[cursor++]));
      line += atLineStart ? 1 : 0;
      current = static_cast<std::uint8_t>(byte - offset);
      atLineStart = current == '\n';
      if (!stays(current)) {
        break;
      }
    }
    cursor_ = cursor;
    line_ = line;
    atLineStart_ = atLineStart;
    current_ = current;
    return left;
  }

  std::uint8_t Current() const { return current_; }
  std::int32_t Line() const { return line_; }
  bool EndOfInput() const { return endOfInput_; }
  bool ReadFailed() const { return readFailed_; }

 private:
  // Reads the next block; at the end of input leaves the buffer empty and the current character 0.
  void Refill();

  static constexpr std::size_t kBlockSize = 255;

  std::FILE* stream_ = nullptr;
  std::int32_t offset_ = 0;
  std::int32_t line_ = 0;
  bool atLineStart_ = true;
  std::uint8_t current_ = 0;
  bool endOfInput_ = false;
  bool readFailed_ = false;
  std::array<char, kBlockSize + 1> buffer_{};
  std::size_t filled_ = 0;
  std::size_t cursor_ = 0;
};

}  // namespace vex
