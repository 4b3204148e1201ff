#pragma once

#include <array>
#include <cstdint>
#include <cstdio>

#include "attrib/AttributeErrors.h"
#include "attrib/AttributeTypes.h"
#include "attrib/CharReader.h"
#include "attrib/TransitionTable.h"

namespace vex {

// Turns the characters of an attribute file into tokens with the transition table. Call
// ReadChar() once after Attach(), then NextToken() until EndOfFile or a failure.
class AttributeScanner {
 public:
  // Longest token text, not counting its terminating 0.
  static constexpr std::size_t kMaxTokenLength = 4097;

  explicit AttributeScanner(AttributeErrorReporter& errors)
      : errors_(errors), table_(TransitionTable::Get()) {}

  void Attach(std::FILE* stream, std::int32_t characterOffset);
  void Detach();

  void ReadChar() { reader_.ReadChar(); }
  // False after a reported error; the parse must stop then.
  bool NextToken();

  AttributeToken Kind() const { return kind_; }
  std::uint16_t Value() const { return value_; }
  const char* Text() const { return text_.data(); }
  std::size_t Length() const { return length_; }
  std::int32_t Line() const { return reader_.Line(); }

 private:
  bool Append() {
    if (length_ >= kMaxTokenLength) {
      return ReportTooLong();
    }
    text_[length_++] = static_cast<char>(reader_.Current());
    return true;
  }
  bool ReportTooLong();
  // Whether a character keeps the scan in `state` by the same action: names, digits, white space,
  // comment and string bodies, which the reader then passes as one run. The end of input and a 0
  // byte never loop, so the run stops before them and they get the checks of ScanOne().
  auto StaysIn(std::uint16_t state, ScanAction action) const {
    return [loops = table_.LoopClasses(state, action)](std::uint8_t character) {
      return ((loops >> static_cast<unsigned>(ClassOf(character))) & 1U) != 0;
    };
  }
  bool ScanOne();

  AttributeErrorReporter& errors_;
  const TransitionTable& table_;
  CharReader reader_;
  AttributeToken kind_ = AttributeToken::Skip;
  std::uint16_t value_ = 0;
  std::uint16_t length_ = 0;
  std::array<char, kMaxTokenLength + 1> text_{};
};

}  // namespace vex
