#include "ui/EngineResponseWatch.h"

#include <ctime>

#include "session/ServerSession.h"

namespace vex {

namespace {

std::string LocalClockTime(std::int64_t calendarSeconds) {
  const auto seconds = static_cast<std::time_t>(calendarSeconds);
  std::tm local{};
  localtime_r(&seconds, &local);
  char text[16];
  std::strftime(text, sizeof text, "%H:%M:%S", &local);
  return text;
}

}  // namespace

std::optional<std::string> EngineResponseWatch::Tick(std::optional<Clock::time_point> lastFrameEnd,
                                                     Clock::time_point now,
                                                     std::int64_t calendarNow) {
  // No session, or an engine error stopped the frames: no news either way.
  if (!lastFrameEnd) {
    return std::nullopt;
  }
  const Clock::duration silence = now - *lastFrameEnd;
  const std::int64_t answered =
      calendarNow - std::chrono::duration_cast<std::chrono::seconds>(silence).count();
  if (silence >= std::chrono::milliseconds(kHungFrameMs)) {
    if (silent_) {
      return std::nullopt;
    }
    silent_ = true;
    answeredCalendar_ = answered;
    return "The engine is not responding; it last answered at " + LocalClockTime(answered) + ".";
  }
  if (!silent_) {
    return std::nullopt;
  }
  silent_ = false;
  return "The engine is responding again at " + LocalClockTime(answered) + ", after " +
         std::to_string(answered - answeredCalendar_) + " seconds.";
}

std::optional<std::string> EngineResponseWatch::SilentSince() const {
  if (!silent_) {
    return std::nullopt;
  }
  return LocalClockTime(answeredCalendar_);
}

}  // namespace vex
