#pragma once

#include <chrono>

namespace vex::sim {

// How much game time each frame covers: the real time since the previous frame, so that the
// game keeps its pace however often the host runs frames; or a fixed step per frame, so that
// tests play minutes in milliseconds.
class GameClock {
 public:
  explicit GameClock(int fixedStepMs);

  int NextStepMs();

 private:
  int fixedStepMs_;
  std::chrono::steady_clock::time_point last_;
};

}  // namespace vex::sim
