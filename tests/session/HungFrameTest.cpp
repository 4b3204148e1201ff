// A hung frame leaves its engine abandoned for the rest of the process, so this test has a
// process of its own.
#include "SessionHarness.h"

namespace vex {
namespace {

using namespace vex::test;
using namespace std::chrono_literals;

TEST_F(SessionTest, HungFrameIsAbandonedAndTheSessionStillStops) {
  ScopedFault fault("hang:2");
  ASSERT_TRUE(session.Initialise());
  ASSERT_TRUE(session.Start());
  std::this_thread::sleep_for(200ms);
  const auto before = std::chrono::steady_clock::now();
  EXPECT_TRUE(session.Stop());
  const auto took = std::chrono::steady_clock::now() - before;
  EXPECT_GE(took, 4900ms);
  EXPECT_LT(took, 8s);
  EXPECT_EQ(session.Engine(), nullptr);
  EXPECT_EQ(host.LineIds.back(), res::IDS_STOPPED);
  ASSERT_FALSE(host.Texts.empty());
  EXPECT_NE(host.Texts.back().find("abandoned"), std::string::npos);
  // The lock the hung thread holds is no longer the session's.
  EXPECT_TRUE(session.Lock().try_lock());
  session.Lock().unlock();
}

}  // namespace
}  // namespace vex
