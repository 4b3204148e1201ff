#pragma once

#include <array>
#include <cstdint>
#include <vector>

#include "attrib/CharClass.h"

namespace vex {

enum class ScanAction : std::uint16_t {
  Error = 0,            // no token allows this character here
  Store = 1,            // keep the character, read on, go to `target`
  Skip = 2,             // drop the character, read on, go to `target`
  AcceptIncluding = 3,  // the character ends the token and belongs to it
  AcceptConsuming = 4,  // the character ends the token and is dropped
  AcceptBefore = 5,     // the token ended before the character, which stays for the next token
};

static_assert(kCharClassCount <= 64, "a state's looping classes are kept as one bit each");

// `target` is the next state for Store and Skip, the token kind for the accepting actions.
struct Transition {
  ScanAction action = ScanAction::Error;
  std::uint16_t target = 0;
  std::uint16_t value = 0;
};

// The recogniser of the token language: one row per state, one entry per character class.
// Built once, on first use, and only read afterwards.
class TransitionTable {
 public:
  static const TransitionTable& Get();

  std::uint16_t Start() const { return start_; }
  std::size_t StateCount() const { return rows_.size(); }
  const Transition& At(std::uint16_t state, CharClass c) const {
    return rows_[state][static_cast<std::size_t>(c)];
  }
  // The classes, one bit each, that keep `state` in itself by `action` (Store or Skip): the runs
  // of name characters, digits, white space and comment or string bodies a scanner can pass in
  // bulk. One bit test per character is what makes such a run cheaper than the table walk.
  std::uint64_t LoopClasses(std::uint16_t state, ScanAction action) const {
    return action == ScanAction::Store ? loops_[state].stored : loops_[state].skipped;
  }

 private:
  using Row = std::array<Transition, kCharClassCount>;
  friend class TableBuilder;

  TransitionTable();

  struct Loops {
    std::uint64_t stored = 0;
    std::uint64_t skipped = 0;
  };
  void FindLoops();

  std::vector<Row> rows_;
  std::vector<Loops> loops_;
  std::uint16_t start_ = 0;
};

}  // namespace vex
