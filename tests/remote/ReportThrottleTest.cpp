#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "remote/ReportThrottle.h"

namespace vex::remote {
namespace {

using Lines = std::vector<std::string>;

TEST(ReportThrottle, OneLineOfEachKindASecondAndTheRestCounted) {
  ReportThrottle throttle("RCON");
  EXPECT_EQ(throttle.Offer("closed connections", "closed a", 1000), Lines{"closed a"});
  EXPECT_FALSE(throttle.NextDueMs());
  for (int i = 0; i < 25; ++i) {
    EXPECT_EQ(throttle.Offer("closed connections", "closed b", 1100 + i), Lines{});
  }
  // Another kind has a second of its own.
  EXPECT_EQ(throttle.Offer("wrong passwords", "wrong c", 1500), Lines{"wrong c"});
  EXPECT_EQ(throttle.NextDueMs(), 2000u);
  EXPECT_EQ(throttle.Due(1999), Lines{});
  EXPECT_EQ(throttle.Due(2000), Lines{"RCON: 25 more closed connections in the last second."});
  EXPECT_FALSE(throttle.NextDueMs());
  EXPECT_EQ(throttle.Offer("closed connections", "closed d", 2001), Lines{"closed d"});
  EXPECT_EQ(throttle.Offer("closed connections", "closed e", 2002), Lines{});
  // When a line comes before the summary was asked for, the summary comes first.
  EXPECT_EQ(throttle.Offer("closed connections", "closed f", 3500),
            (Lines{"RCON: 1 more closed connections in the last second.", "closed f"}));
  EXPECT_EQ(throttle.Due(10'000), Lines{});
}

}  // namespace
}  // namespace vex::remote
