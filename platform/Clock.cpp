#include "platform/Clock.h"

#include <chrono>
#include <ctime>

namespace vex::platform {

std::uint32_t MillisecondClock() {
  const auto now = std::chrono::steady_clock::now().time_since_epoch();
  return static_cast<std::uint32_t>(
      std::chrono::duration_cast<std::chrono::milliseconds>(now).count());
}

std::int64_t CalendarSeconds() {
  return static_cast<std::int64_t>(std::time(nullptr));
}

}  // namespace vex::platform
