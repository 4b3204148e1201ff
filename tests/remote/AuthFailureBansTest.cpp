#include <gtest/gtest.h>

#include "remote/AuthFailureBans.h"

namespace vex::remote {
namespace {

constexpr std::uint64_t kSecond = 1000;

TEST(AuthFailureBans, FifthFailureWithinAMinuteBansForTenMinutes) {
  AuthFailureBans bans;
  for (int i = 0; i < 4; ++i) {
    EXPECT_FALSE(bans.RecordFailure("10.0.0.1", i * 10 * kSecond));
  }
  EXPECT_FALSE(bans.IsBanned("10.0.0.1", 40 * kSecond));
  EXPECT_TRUE(bans.RecordFailure("10.0.0.1", 59 * kSecond));
  EXPECT_TRUE(bans.IsBanned("10.0.0.1", 60 * kSecond));
  EXPECT_FALSE(bans.IsBanned("10.0.0.2", 60 * kSecond));
  EXPECT_TRUE(bans.IsBanned("10.0.0.1", (59 + 599) * kSecond));
  EXPECT_FALSE(bans.IsBanned("10.0.0.1", (59 + 600) * kSecond));
}

TEST(AuthFailureBans, FailuresSpreadOverMoreThanAMinuteDoNotBan) {
  AuthFailureBans bans;
  for (int i = 0; i < 20; ++i) {
    EXPECT_FALSE(bans.RecordFailure("10.0.0.1", i * 16 * kSecond)) << "failure " << i;
  }
  EXPECT_FALSE(bans.IsBanned("10.0.0.1", 20 * 16 * kSecond));
}

TEST(AuthFailureBans, StaysWithinItsAddressLimitAndKeepsTheBans) {
  AuthFailureBans bans(AuthFailureBans::Limits{5, 60 * kSecond, 600 * kSecond, 8});
  for (int i = 0; i < 5; ++i) {
    bans.RecordFailure("banned", 0);
  }
  // Old single failures make room first; the ban outlives them.
  for (int i = 0; i < 100; ++i) {
    bans.RecordFailure("other" + std::to_string(i), 120 * kSecond + i);
  }
  EXPECT_TRUE(bans.IsBanned("banned", 130 * kSecond));
}

TEST(AuthFailureBans, AnIpv6HostCountsByItsSlash64) {
  AuthFailureBans bans;
  for (int i = 0; i < 5; ++i) {
    bans.RecordFailure("2001:db8:1:2::" + std::to_string(i + 1), kSecond);
  }
  EXPECT_TRUE(bans.IsBanned("2001:db8:1:2:ffff:ffff:ffff:ffff", 2 * kSecond));
  EXPECT_FALSE(bans.IsBanned("2001:db8:1:3::1", 2 * kSecond));
  EXPECT_FALSE(bans.IsBanned("10.0.0.1", 2 * kSecond));
}

}  // namespace
}  // namespace vex::remote
