#include "ui/EngineResponseWatch.h"

#include <ctime>
#include <utility>

namespace vex {

namespace {

constexpr auto kSilenceWorthSaying = std::chrono::seconds(1);

std::string LocalClockTime(std::int64_t calendarSeconds) {
  const auto seconds = static_cast<std::time_t>(calendarSeconds);
  std::tm local{};
  localtime_r(&seconds, &local);
  char text[16];
  std::strftime(text, sizeof text, "%H:%M:%S", &local);
  return text;
}

}  // namespace

std::optional<std::string> EngineResponseWatch::Tick(RefreshOutcome outcome, Clock::time_point now,
                                                     std::int64_t calendarNow) {
  if (outcome == RefreshOutcome::EngineBusy) {
    if (!answered_) {
      answered_ = now;
      answeredCalendar_ = calendarNow;
    }
    if (silent_ || now - *answered_ < kSilenceWorthSaying) {
      return std::nullopt;
    }
    silent_ = true;
    return "The engine is not responding; it last answered at " +
           LocalClockTime(answeredCalendar_) + ".";
  }
  // Between levels, at an engine error and without a session the ticks do not ask the engine: no
  // news either way.
  if (outcome != RefreshOutcome::Ran && silent_) {
    return std::nullopt;
  }
  const bool wasSilent = std::exchange(silent_, false);
  const std::int64_t silence = calendarNow - answeredCalendar_;
  answered_ = now;
  answeredCalendar_ = calendarNow;
  if (!wasSilent) {
    return std::nullopt;
  }
  return "The engine is responding again at " + LocalClockTime(calendarNow) + ", after " +
         std::to_string(silence) + " seconds.";
}

std::optional<std::string> EngineResponseWatch::SilentSince() const {
  if (!silent_) {
    return std::nullopt;
  }
  return LocalClockTime(answeredCalendar_);
}

}  // namespace vex
