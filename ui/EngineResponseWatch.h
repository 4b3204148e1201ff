#pragma once

#include <chrono>
#include <cstdint>
#include <optional>
#include <string>

#include "ui/StatusRefresh.h"

namespace vex {

// A hung frame keeps the session lock and the refresh ticks skip, which the operator would not
// otherwise notice: after about a second of skipped ticks this says once that the engine is not
// responding, and once more when a tick gets through again.
class EngineResponseWatch {
 public:
  using Clock = std::chrono::steady_clock;

  // The console line for this tick's outcome, if one is due. `calendarNow` (seconds) gives the
  // times in the text.
  std::optional<std::string> Tick(RefreshOutcome outcome, Clock::time_point now,
                                  std::int64_t calendarNow);
  // While the silence has been said: when the engine last answered, as the console line says it.
  std::optional<std::string> SilentSince() const;

 private:
  std::optional<Clock::time_point> answered_;
  std::int64_t answeredCalendar_ = 0;
  bool silent_ = false;
};

}  // namespace vex
