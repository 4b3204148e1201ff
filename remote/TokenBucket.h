#pragma once

#include <algorithm>
#include <cstdint>

namespace vex::remote {

// A rate with a burst: tokens come back at `perSecond` up to `burst`, and each use takes one. A
// bucket never used starts full. Times are the caller's monotonic milliseconds.
struct TokenBucket {
  double Tokens = 0;
  std::uint64_t LastMs = 0;
  bool Used = false;

  void Refill(double perSecond, double burst, std::uint64_t nowMs) {
    if (!Used) {
      *this = TokenBucket{burst, nowMs, true};
    } else if (nowMs > LastMs) {
      Tokens = std::min(burst, Tokens + static_cast<double>(nowMs - LastMs) * perSecond / 1000.0);
      LastMs = nowMs;
    }
  }

  bool Take(double perSecond, double burst, std::uint64_t nowMs) {
    Refill(perSecond, burst, nowMs);
    if (Tokens < 1.0) {
      return false;
    }
    Tokens -= 1.0;
    return true;
  }
};

}  // namespace vex::remote
