#include "ui/ConsoleCommandAnswers.h"

#include <algorithm>
#include <utility>

namespace vex {

namespace {

// An engine that has not run a command in this time answers with what there is by then.
constexpr std::uint32_t kLongestAnswerWaitMs = 400;
constexpr std::size_t kLongestAnswer = 64 * 1024;

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
    Append(waiting.Seen, text);
    if (waiting.Started) {
      Append(waiting.Own, text);
    }
  }
}

void ConsoleCommandAnswers::Mark(QueuedLineKind mark) {
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
  for (Waiting& waiting : waiting_) {
    const bool ranUnmarked =
        framesPrinted && *framesPrinted > waiting.FramesAtPost && !waiting.Started;
    const bool late = nowMs - waiting.PostedMs >= kLongestAnswerWaitMs;
    (ranUnmarked || late ? done : kept).push_back(std::move(waiting));
  }
  waiting_ = std::move(kept);
  for (Waiting& waiting : done) {
    Finish(waiting, waiting.Started);
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
