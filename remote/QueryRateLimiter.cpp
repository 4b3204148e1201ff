#include "remote/QueryRateLimiter.h"

#include <algorithm>
#include <functional>

namespace vex::remote {

QueryRateLimiter::QueryRateLimiter(Limits limits) : limits_(limits) {}

bool QueryRateLimiter::Take(Bucket& bucket, double perSecond, double burst, std::uint64_t nowMs) {
  if (!bucket.Used) {
    bucket = Bucket{burst, nowMs, true};
  } else if (nowMs > bucket.LastMs) {
    const double refill = static_cast<double>(nowMs - bucket.LastMs) * perSecond / 1000.0;
    bucket.Tokens = std::min(burst, bucket.Tokens + refill);
    bucket.LastMs = nowMs;
  }
  if (bucket.Tokens < 1.0) {
    return false;
  }
  bucket.Tokens -= 1.0;
  return true;
}

bool QueryRateLimiter::Allow(std::string_view address, std::uint64_t nowMs) {
  Bucket& slot = slots_[std::hash<std::string_view>{}(address) % kSlots];
  // The address pays first: a flooding source then no longer drains what the others share.
  return Take(slot, limits_.PerAddressPerSecond, limits_.PerAddressBurst, nowMs) &&
         Take(all_, limits_.AllPerSecond, limits_.AllBurst, nowMs);
}

}  // namespace vex::remote
