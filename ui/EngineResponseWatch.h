#pragma once

#include <chrono>
#include <cstdint>
#include <optional>
#include <string>

namespace vex {

// A hung frame keeps the session lock, which the operator would not otherwise notice: once no
// frame has finished for as long as a frame counts as hung, this says once that the engine is not
// responding, and once more when a frame finishes again. Slow frames that still finish are no
// hang, however many refresh ticks they make skip.
class EngineResponseWatch {
 public:
  using Clock = std::chrono::steady_clock;

  // The console line due at this tick, if any. `lastFrameEnd` is when the engine last finished a
  // frame, none while no frames are due; `calendarNow` (seconds) gives the times in the text.
  std::optional<std::string> Tick(std::optional<Clock::time_point> lastFrameEnd,
                                  Clock::time_point now, std::int64_t calendarNow);
  // While the silence has been said: when the engine last answered, as the console line says it.
  std::optional<std::string> SilentSince() const;

 private:
  bool silent_ = false;
  std::int64_t answeredCalendar_ = 0;
};

}  // namespace vex
