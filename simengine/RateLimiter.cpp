#include "simengine/RateLimiter.h"

#include <algorithm>
#include <iterator>

namespace vex::sim {

namespace {

constexpr std::int64_t kSweepPeriodMs = 1000;

}  // namespace

RateLimiter::RateLimiter(int perSecond, int burst, std::size_t maxAddresses)
    : perMs_(perSecond / 1000.0), burst_(burst), maxAddresses_(maxAddresses) {
  buckets_.reserve(maxAddresses);
}

void RateLimiter::Refill(Bucket& bucket, std::int64_t nowMs) const {
  const auto elapsed = static_cast<double>(std::max<std::int64_t>(0, nowMs - bucket.LastMs));
  bucket.Tokens = std::min(burst_, bucket.Tokens + elapsed * perMs_);
  bucket.LastMs = nowMs;
}

void RateLimiter::ForgetIdle(std::int64_t nowMs) {
  if (lastSweepMs_ && nowMs - *lastSweepMs_ < kSweepPeriodMs) {
    return;
  }
  lastSweepMs_ = nowMs;
  for (auto it = buckets_.begin(); it != buckets_.end();) {
    Refill(it->second, nowMs);
    it = it->second.Tokens >= burst_ ? buckets_.erase(it) : std::next(it);
  }
}

bool RateLimiter::Allow(PeerAddress address, std::int64_t nowMs) {
  auto found = buckets_.find(address);
  if (found == buckets_.end()) {
    if (buckets_.size() >= maxAddresses_) {
      ForgetIdle(nowMs);
      if (buckets_.size() >= maxAddresses_) {
        return false;
      }
    }
    found = buckets_.emplace(address, Bucket{burst_, nowMs}).first;
  }
  Bucket& bucket = found->second;
  Refill(bucket, nowMs);
  if (bucket.Tokens < 1.0) {
    return false;
  }
  bucket.Tokens -= 1.0;
  return true;
}

}  // namespace vex::sim
