#pragma once

#include <chrono>
#include <string>

namespace vex::platform {

// Local time in ISO 8601 with milliseconds and the offset from UTC: 2026-05-04T21:07:09.042+02:00.
std::string IsoTimestamp(std::chrono::system_clock::time_point when);

}  // namespace vex::platform
