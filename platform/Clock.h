#pragma once

#include <chrono>
#include <cstdint>

namespace vex::platform {

// Monotonic milliseconds truncated to 32 bits: wraps after about 49.7 days, like timeGetTime,
// so callers must compare with unsigned differences.
std::uint32_t MillisecondClock();

// The steady-clock instant at which MillisecondClock() reads `reading`, taking the occurrence
// nearest to now. Waiting until it ends a pause on the tick itself, where a relative wait of whole
// milliseconds started mid-millisecond ends up to a millisecond off.
std::chrono::steady_clock::time_point InstantOfReading(std::uint32_t reading);

// Calendar time in whole seconds, as time(nullptr).
std::int64_t CalendarSeconds();

}  // namespace vex::platform
