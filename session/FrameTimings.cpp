#include "session/FrameTimings.h"

#include <algorithm>

#include "session/FramePacing.h"

namespace vex {

void FrameHistogram::Record(std::uint64_t microseconds) {
  const auto bucket = static_cast<std::size_t>(
      std::lower_bound(kFrameBucketBoundsUs.begin(), kFrameBucketBoundsUs.end(), microseconds) -
      kFrameBucketBoundsUs.begin());
  buckets_[bucket].fetch_add(1, std::memory_order_relaxed);
  sumUs_.fetch_add(microseconds, std::memory_order_relaxed);
}

FrameHistogram::Counts FrameHistogram::Read() const {
  Counts counts;
  for (std::size_t i = 0; i < buckets_.size(); ++i) {
    counts.Buckets[i] = buckets_[i].load(std::memory_order_relaxed);
  }
  counts.SumUs = sumUs_.load(std::memory_order_relaxed);
  return counts;
}

void FrameTimings::Record(Clock::time_point start, Clock::time_point end) {
  const auto micros = [](Clock::duration span) {
    return static_cast<std::uint64_t>(std::max<std::chrono::microseconds::rep>(
        0, std::chrono::duration_cast<std::chrono::microseconds>(span).count()));
  };
  durations_.Record(micros(end - start));
  if (previousStart_ != Clock::time_point{}) {
    lateness_.Record(micros(start - previousStart_ - std::chrono::milliseconds(kFrameIntervalMs)));
  }
  previousStart_ = start;
  lastEnd_.store(end.time_since_epoch().count(), std::memory_order_relaxed);
}

FrameTimings::Clock::time_point FrameTimings::LastFrameEnd() const {
  return Clock::time_point(Clock::duration(lastEnd_.load(std::memory_order_relaxed)));
}

}  // namespace vex
