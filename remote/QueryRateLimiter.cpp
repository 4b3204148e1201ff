#include "remote/QueryRateLimiter.h"

#include <functional>

namespace vex::remote {

QueryRateLimiter::QueryRateLimiter(Limits limits) : limits_(limits) {}

bool QueryRateLimiter::Allow(std::string_view address, std::uint64_t nowMs) {
  TokenBucket& slot = slots_[std::hash<std::string_view>{}(address) % kSlots];
  // The address pays first: a flooding source then no longer drains what the others share.
  return slot.Take(limits_.PerAddressPerSecond, limits_.PerAddressBurst, nowMs) &&
         all_.Take(limits_.AllPerSecond, limits_.AllBurst, nowMs);
}

}  // namespace vex::remote
