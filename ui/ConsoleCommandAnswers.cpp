#include "ui/ConsoleCommandAnswers.h"

#include <algorithm>
#include <utility>

namespace vex {

namespace {

// Longer than the pause between two levels, while no console lines are taken.
constexpr std::uint32_t kLongestAnswerWaitMs = 5000;
constexpr std::size_t kLongestAnswer = 64 * 1024;
constexpr const char* kNoAnswerInTime =
    "The engine's output for the command did not come within 5 seconds; the console shows it when "
    "it comes.\n";

}  // namespace

void ConsoleCommandAnswers::Posted(CommandAnswer answer, std::uint64_t framesRun,
                                   std::uint32_t nowMs) {
  waiting_.push_back({std::move(answer), framesRun, nowMs, {}, {}, false});
}

void ConsoleCommandAnswers::Append(std::string& text, std::string_view line) {
  if (text.size() + line.size() + 1 <= kLongestAnswer) {
    text += line;
    text += '\n';
  }
}

void ConsoleCommandAnswers::Line(std::string_view text) {
  for (Waiting& waiting : waiting_) {
    if (!waiting.Answer) {
      continue;
    }
    Append(waiting.Seen, text);
    if (waiting.Started) {
      Append(waiting.Own, text);
    }
  }
}

void ConsoleCommandAnswers::Mark(QueuedLineKind mark) {
  engineMarks_ = true;
  if (mark == QueuedLineKind::CommandStart) {
    const auto next = std::find_if(waiting_.begin(), waiting_.end(),
                                   [](const Waiting& waiting) { return !waiting.Started; });
    if (next != waiting_.end()) {
      next->Started = true;
    }
    return;
  }
  const auto running = std::find_if(waiting_.begin(), waiting_.end(),
                                    [](const Waiting& waiting) { return waiting.Started; });
  if (running != waiting_.end()) {
    Waiting done = std::move(*running);
    waiting_.erase(running);
    Finish(done, true);
  }
}

void ConsoleCommandAnswers::Settle(std::optional<std::uint64_t> framesPrinted,
                                   std::uint32_t nowMs) {
  // Oldest first: an answer's callback may post another command, which waits at the back.
  std::deque<Waiting> kept;
  std::deque<Waiting> done;
  std::deque<CommandAnswer> late;
  for (Waiting& waiting : waiting_) {
    const bool ranUnmarked =
        !engineMarks_ && framesPrinted && *framesPrinted > waiting.FramesAtPost && !waiting.Started;
    if (ranUnmarked) {
      done.push_back(std::move(waiting));
      continue;
    }
    if (waiting.Answer && nowMs - waiting.PostedMs >= kLongestAnswerWaitMs) {
      late.push_back(std::exchange(waiting.Answer, {}));
      waiting.Seen.clear();
      waiting.Own.clear();
    }
    kept.push_back(std::move(waiting));
  }
  waiting_ = std::move(kept);
  for (Waiting& waiting : done) {
    Finish(waiting, waiting.Started);
  }
  for (CommandAnswer& answer : late) {
    answer({kNoAnswerInTime, false});
  }
}

void ConsoleCommandAnswers::FinishAll() {
  std::deque<Waiting> done = std::exchange(waiting_, {});
  for (Waiting& waiting : done) {
    Finish(waiting, waiting.Started);
  }
}

void ConsoleCommandAnswers::Finish(Waiting& waiting, bool own) {
  if (waiting.Answer) {
    waiting.Answer({own ? std::move(waiting.Own) : std::move(waiting.Seen), true});
  }
}

}  // namespace vex
