// A hung frame leaves its engine abandoned for the rest of the process, so this test has a
// process of its own.
#include "SessionHarness.h"
#include "platform/ManualResetEvent.h"
#include "session/LevelControls.h"

namespace vex {
namespace {

using namespace vex::testing;
using namespace std::chrono_literals;

constexpr std::uint32_t kHangingFrame = 2;

// Told of every frame start by the engine's frame trace, so a test knows when the hung frame has
// begun instead of hoping a pause was long enough.
class FrameWatcher final : public ServerAppHandler {
 public:
  int OnPacket(std::uint32_t frame, std::uint32_t, std::uint32_t, std::uint16_t) override {
    if (frame == kHangingFrame) {
      HangBegun.Set();
    }
    return 0;
  }

  platform::ManualResetEvent HangBegun;
};

// The abandoned thread was last inside it and its engine keeps it as the handler, so it is never
// destroyed.
FrameWatcher& Watcher() {
  static auto* watcher = new FrameWatcher;
  return *watcher;
}

class ScopedFrameTrace {
 public:
  ScopedFrameTrace() { setenv("VEX_SIM_FRAME_TRACE", "1", 1); }
  ~ScopedFrameTrace() { unsetenv("VEX_SIM_FRAME_TRACE"); }
};

class HungFrameTest : public ::testing::Test {
 protected:
  HungFrameTest() : session(host, Watcher()) { host.Session = &session; }

  void StartIntoTheHang() {
    ASSERT_TRUE(session.Initialise());
    ASSERT_TRUE(session.Start());
    ASSERT_TRUE(Watcher().HangBegun.Wait(10000));
  }

  ScopedFault fault{"hang:2"};
  ScopedFrameTrace trace;
  RecordingHost host;
  CServerSession session;
};

// One test: the abandoned engine stays the module's one engine for the rest of the process.
TEST_F(HungFrameTest, TheWindowThreadGivesUpOnTheLockAndTheStopAbandonsTheEngine) {
  StartIntoTheHang();
  EXPECT_FALSE(session.LockBriefly());
  host.Texts.clear();
  SendNextLevel(session);
  ASSERT_EQ(host.Texts.size(), 1u);
  EXPECT_NE(host.Texts[0].find("not answering"), std::string::npos);

  const auto before = std::chrono::steady_clock::now();
  EXPECT_TRUE(session.Stop());
  EXPECT_GE(std::chrono::steady_clock::now() - before, 4900ms);
  EXPECT_EQ(session.Engine(), nullptr);
  EXPECT_EQ(host.LineIds.back(), res::IDS_STOPPED);
  ASSERT_EQ(host.Texts.size(), 2u);
  EXPECT_NE(host.Texts[1].find("abandoned"), std::string::npos);
  // The lock the hung thread holds is no longer the session's.
  EXPECT_TRUE(session.Lock().try_lock());
  session.Lock().unlock();
}

}  // namespace
}  // namespace vex
