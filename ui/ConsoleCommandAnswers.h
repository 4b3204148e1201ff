#pragma once

#include <cstdint>
#include <deque>
#include <optional>
#include <string>
#include <string_view>

#include "session/ConsoleLineQueue.h"
#include "ui/CommandOrigin.h"

namespace vex {

// The game console commands posted to the engine, oldest first, each waiting for its output.
// The engine runs them in that order; one that marks its commands' output (the start and end
// marks in the console queue) answers each with exactly its own lines. For one that does not, a
// command's answer is every line printed from its posting until the engine has run it, game
// events of that frame included. A command whose output does not come in time (the lines wait
// while no level runs, or the engine is slow) is told so, and keeps its place until its marks
// have passed, so that they never pair with a later command. Window thread only.
class ConsoleCommandAnswers {
 public:
  // Every posted command counts, also those nobody waits for, so that the marks pair up.
  void Posted(CommandAnswer answer, std::uint64_t framesRun, std::uint32_t nowMs);
  void Line(std::string_view text);
  void Mark(QueuedLineKind mark);
  // After a refresh: `framesPrinted`, when given, is a frame count whose lines have all been
  // printed. Answers the commands the engine ran without marks, and those waiting too long.
  void Settle(std::optional<std::uint64_t> framesPrinted, std::uint32_t nowMs);
  // The engine is gone: everything waiting answers with what it has.
  void FinishAll();

 private:
  struct Waiting {
    CommandAnswer Answer;  // empty once answered, or when nobody waits for the output
    std::uint64_t FramesAtPost = 0;
    std::uint32_t PostedMs = 0;
    std::string Seen;  // every line since the posting
    std::string Own;   // the lines between its marks
    bool Started = false;
  };

  static void Append(std::string& text, std::string_view line);
  static void Finish(Waiting& waiting, bool own);

  std::deque<Waiting> waiting_;
  bool engineMarks_ = false;  // a mark has come: the engine marks every command's output
};

}  // namespace vex
