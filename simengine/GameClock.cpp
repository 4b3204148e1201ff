#include "simengine/GameClock.h"

namespace vex::sim {

namespace {

// A host that stalls (a debugger, a swapped-out machine) must not skip a level in one frame.
constexpr long long kLongestStepMs = 250;

}  // namespace

GameClock::GameClock(int fixedStepMs)
    : fixedStepMs_(fixedStepMs), last_(std::chrono::steady_clock::now()) {}

int GameClock::NextStepMs() {
  if (fixedStepMs_ > 0) {
    return fixedStepMs_;
  }
  const auto now = std::chrono::steady_clock::now();
  const long long elapsed =
      std::chrono::duration_cast<std::chrono::milliseconds>(now - last_).count();
  if (elapsed > kLongestStepMs) {
    last_ = now;
    return static_cast<int>(kLongestStepMs);
  }
  // Only whole milliseconds are handed out; the remainder stays for the next frame.
  last_ += std::chrono::milliseconds(elapsed);
  return static_cast<int>(elapsed);
}

}  // namespace vex::sim
