#pragma once

#include <chrono>
#include <cstdint>

namespace vex::services {

// Milliseconds of a clock that never goes back, for bans, rate limits and challenges.
inline std::uint64_t MonotonicMs() {
  return static_cast<std::uint64_t>(std::chrono::duration_cast<std::chrono::milliseconds>(
                                        std::chrono::steady_clock::now().time_since_epoch())
                                        .count());
}

}  // namespace vex::services
