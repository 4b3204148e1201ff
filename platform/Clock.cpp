#include "platform/Clock.h"

#include <chrono>
#include <ctime>

namespace vex::platform {

std::uint32_t MillisecondClock() {
  const auto now = std::chrono::steady_clock::now().time_since_epoch();
  return static_cast<std::uint32_t>(
      std::chrono::duration_cast<std::chrono::milliseconds>(now).count());
}

std::chrono::steady_clock::time_point InstantOfReading(std::uint32_t reading) {
  const auto tick = std::chrono::floor<std::chrono::milliseconds>(std::chrono::steady_clock::now());
  const auto current = static_cast<std::uint32_t>(tick.time_since_epoch().count());
  // Signed distance in the 32-bit circle, so a reading just past the wrap stays near.
  const auto ahead = static_cast<std::int32_t>(reading - current);
  return tick + std::chrono::milliseconds(ahead);
}

std::int64_t CalendarSeconds() {
  return static_cast<std::int64_t>(std::time(nullptr));
}

}  // namespace vex::platform
