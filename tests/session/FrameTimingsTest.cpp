#include <gtest/gtest.h>

#include <thread>

#include "session/FrameTimings.h"

namespace vex {
namespace {

using Clock = FrameTimings::Clock;
using std::chrono::microseconds;
using std::chrono::milliseconds;

std::uint64_t Total(const FrameHistogram::Counts& counts) {
  std::uint64_t total = 0;
  for (const std::uint64_t count : counts.Buckets) {
    total += count;
  }
  return total;
}

TEST(FrameHistogram, ABoundBelongsToItsOwnBucket) {
  FrameHistogram histogram;
  for (const std::uint64_t us : {0, 1'000, 1'001, 33'000, 33'001, 1'000'000, 5'000'000}) {
    histogram.Record(us);
  }
  const FrameHistogram::Counts counts = histogram.Read();
  const std::array<std::uint64_t, 12> expected = {2, 1, 0, 0, 0, 1, 1, 0, 0, 0, 1, 1};
  EXPECT_EQ(counts.Buckets, expected);
  EXPECT_EQ(counts.SumUs, 6'068'002u);
}

TEST(FrameTimings, LatenessIsWhatPassedBeyondOneIntervalSinceThePreviousStart) {
  FrameTimings timings;
  const Clock::time_point base = Clock::now();
  // A 10 ms frame on time, a 40 ms frame 33 ms later, the next one at once after it (7 ms
  // late), then one 20 ms early (no lateness, not a negative one).
  timings.Record(base, base + milliseconds(10));
  timings.Record(base + milliseconds(33), base + milliseconds(73));
  timings.Record(base + milliseconds(73), base + milliseconds(75));
  timings.Record(base + milliseconds(86), base + milliseconds(87));
  const FrameHistogram::Counts durations = timings.Durations().Read();
  EXPECT_EQ(Total(durations), 4u);
  EXPECT_EQ(durations.SumUs, 53'000u);
  const FrameHistogram::Counts lateness = timings.Lateness().Read();
  EXPECT_EQ(Total(lateness), 3u);
  EXPECT_EQ(lateness.SumUs, 7'000u);
  EXPECT_EQ(lateness.Buckets[3], 1u) << "7 ms lies in the 10 ms bucket";
  EXPECT_EQ(timings.LastFrameEnd(), base + milliseconds(87));
}

// The update thread records while the window thread reads; ThreadSanitizer watches this one.
TEST(FrameTimings, AReaderDuringRecordingSeesCountsThatOnlyGrow) {
  FrameTimings timings;
  constexpr int kFrames = 20'000;
  std::thread frames([&] {
    Clock::time_point start = Clock::now();
    for (int i = 0; i < kFrames; ++i) {
      timings.Record(start, start + microseconds(i % 2'000));
      start += milliseconds(33) + microseconds(i % 50);
    }
  });
  std::uint64_t seen = 0;
  while (seen < kFrames) {
    const std::uint64_t now = Total(timings.Durations().Read());
    ASSERT_GE(now, seen);
    seen = now;
    std::this_thread::yield();
  }
  frames.join();
  EXPECT_EQ(Total(timings.Lateness().Read()), static_cast<std::uint64_t>(kFrames - 1));
}

}  // namespace
}  // namespace vex
