#pragma once

#include <array>
#include <atomic>
#include <chrono>
#include <cstdint>

namespace vex {

// Bucket bounds of the frame histograms, from 1 ms to 1 s. One frame interval is among them, so
// that "later than one frame" falls on a bucket's edge rather than inside one.
inline constexpr std::array<std::uint32_t, 11> kFrameBucketBoundsUs = {
    1'000, 2'500, 5'000, 10'000, 20'000, 33'000, 50'000, 100'000, 250'000, 500'000, 1'000'000};

// A histogram that one thread fills and any other reads, without a lock: each count is an atomic
// of its own, so a reader may see a frame in one count and not yet in another, never a torn one.
class FrameHistogram {
 public:
  struct Counts {
    // Per bucket, not cumulative; the last one holds what lies above every bound.
    std::array<std::uint64_t, kFrameBucketBoundsUs.size() + 1> Buckets{};
    std::uint64_t SumUs = 0;
  };

  void Record(std::uint64_t microseconds);
  Counts Read() const;

 private:
  std::array<std::atomic<std::uint64_t>, kFrameBucketBoundsUs.size() + 1> buckets_{};
  std::atomic<std::uint64_t> sumUs_{0};
};

// How long engine frames take and how late they start, recorded by the thread that runs them.
class FrameTimings {
 public:
  using Clock = std::chrono::steady_clock;

  // One frame's start and end. A frame's lateness is how much more than one frame interval
  // passed since the previous frame's start; the first frame has none.
  void Record(Clock::time_point start, Clock::time_point end);

  const FrameHistogram& Durations() const { return durations_; }
  const FrameHistogram& Lateness() const { return lateness_; }
  // The end of the last frame; the clock's epoch before the first.
  Clock::time_point LastFrameEnd() const;

 private:
  FrameHistogram durations_;
  FrameHistogram lateness_;
  Clock::time_point previousStart_{};  // the recording thread's own
  std::atomic<Clock::rep> lastEnd_{0};
};

}  // namespace vex
