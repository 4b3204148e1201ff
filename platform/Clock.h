#pragma once

#include <cstdint>

namespace vex::platform {

// Monotonic milliseconds truncated to 32 bits: wraps after about 49.7 days, like timeGetTime,
// so callers must compare with unsigned differences.
std::uint32_t MillisecondClock();

// Calendar time in whole seconds, as time(nullptr).
std::int64_t CalendarSeconds();

}  // namespace vex::platform
