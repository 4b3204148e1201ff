#include <algorithm>
#include <atomic>
#include <thread>

#include "SessionHarness.h"
#include "engine/EngineModule.h"
#include "platform/ManualResetEvent.h"
#include "tests/support/ScratchFolder.h"

namespace vex {
namespace {

using namespace vex::test;
using namespace std::chrono_literals;

TEST_F(SessionTest, StartsAndStopsWithItsProgressLines) {
  ASSERT_TRUE(session.Initialise());
  ASSERT_TRUE(session.Start());
  EXPECT_TRUE(session.HasThread());
  EXPECT_TRUE(host.TimerStarted);
  EXPECT_EQ(host.TrackingResets, 1);
  EXPECT_TRUE(session.Stop());
  EXPECT_EQ(session.Engine(), nullptr);
  EXPECT_FALSE(session.HasThread());
  EXPECT_EQ(host.LineIds, (std::vector<int>{res::IDS_INITIALIZING, res::IDS_INITIALIZED,
                                            res::IDS_RUNNING, res::IDS_STOPPED}));
  EXPECT_TRUE(host.Errors.empty());
}

TEST_F(SessionTest, StopIsHarmlessWithNothingCreatedAndWhenRepeated) {
  EXPECT_TRUE(session.Stop());
  EXPECT_TRUE(host.LineIds.empty());
  ASSERT_TRUE(session.Initialise());
  ASSERT_TRUE(session.Start());
  EXPECT_TRUE(session.Stop());
  EXPECT_TRUE(session.Stop());
  EXPECT_EQ(std::count(host.LineIds.begin(), host.LineIds.end(), res::IDS_STOPPED), 1);
}

TEST_F(SessionTest, InitialisingTwiceReleasesTheFirstEngine) {
  ASSERT_TRUE(session.Initialise());
  ASSERT_TRUE(session.Initialise());
  ASSERT_TRUE(session.Start());
  EXPECT_TRUE(session.Stop());
  EXPECT_TRUE(host.Errors.empty());
}

TEST_F(SessionTest, StartWithoutEngineFailsWithoutReport) {
  EXPECT_FALSE(session.Start());
  EXPECT_TRUE(host.Errors.empty());
}

struct FaultCase {
  const char* fault;
  bool failsInInitialise;
  int report;
};

void PrintTo(const FaultCase& c, std::ostream* out) {
  *out << "fault " << c.fault;
}

class SessionFaultTest : public SessionTest, public ::testing::WithParamInterface<FaultCase> {};

TEST_P(SessionFaultTest, EachFailingStepRaisesItsReport) {
  const FaultCase& c = GetParam();
  ScopedFault fault(c.fault);
  const bool initialised = session.Initialise();
  EXPECT_EQ(initialised, !c.failsInInitialise);
  if (initialised) {
    EXPECT_FALSE(session.Start());
  }
  EXPECT_EQ(host.Errors, std::vector<int>{c.report});
  EXPECT_EQ(session.Engine(), nullptr);
  EXPECT_FALSE(session.HasThread());
}

INSTANTIATE_TEST_SUITE_P(RealEngine, SessionFaultTest,
                         ::testing::Values(FaultCase{"create", true, res::IDS_SETUP_FAILED},
                                           FaultCase{"attach", true, res::IDS_SETUP_FAILED},
                                           FaultCase{"archives", true, res::IDS_RESOURCES_FAILED},
                                           FaultCase{"service", false, res::IDS_NET_SERVICE_FAILED},
                                           FaultCase{"host", false, res::IDS_HOST_FAILED},
                                           FaultCase{"gamecode", false, res::IDS_GAME_CODE_FAILED},
                                           FaultCase{"start", false, res::IDS_MAP_FAILED}),
                         [](const ::testing::TestParamInfo<FaultCase>& fault) {
                           return std::string(fault.param.fault);
                         });

// The start message fails while the update thread already runs frames: the report reads the
// engine's reason under the session lock, after the frame under way (a thread holding the lock
// for a while) has let go.
TEST_F(SessionTest, AFailedStartsReasonIsReadAfterTheFrameUnderWay) {
  ScopedFault fault("start");
  std::string reason;
  std::atomic<bool> frameUnderWay{false};
  bool readDuringTheFrame = true;
  host.OnReport = [&] {
    platform::ManualResetEvent held;
    std::thread frame([&] {
      std::lock_guard lock(session.Lock());
      frameUnderWay = true;
      held.Set();
      std::this_thread::sleep_for(100ms);
      frameUnderWay = false;
    });
    held.Wait(platform::kInfinite);
    reason = session.LastEngineError();
    readDuringTheFrame = frameUnderWay;
    frame.join();
  };
  ASSERT_TRUE(session.Initialise());
  EXPECT_FALSE(session.Start());
  EXPECT_EQ(host.Errors, std::vector<int>{res::IDS_MAP_FAILED});
  EXPECT_FALSE(reason.empty());
  EXPECT_FALSE(readDuringTheFrame);
}

// Frames of 400 ms outlast a refresh tick's wait. The tick that gives up leaves its wish, and the
// frame under way, once it ends, leaves the lock to the next tick: between two ticks that took the
// lock at most one frame ran. An operator action waits for the frame under way, however slow.
TEST_F(SessionTest, SlowFramesLeaveTheLockToTheNextTickAndToEveryAction) {
  setenv("VEX_SIM_FRAME_MS", "400", 1);
  const bool started = session.Initialise() && session.Start();
  unsetenv("VEX_SIM_FRAME_MS");
  ASSERT_TRUE(started);
  std::uint64_t framesAtLastTick = session.FramesRun();
  std::uint64_t mostFramesBetweenTicks = 0;
  const std::uint64_t enough = framesAtLastTick + 5;
  while (session.FramesRun() < enough) {
    if (const SessionLockHold hold = session.LockForRefresh()) {
      const std::uint64_t frames = session.FramesRun();
      mostFramesBetweenTicks = std::max(mostFramesBetweenTicks, frames - framesAtLastTick);
      framesAtLastTick = frames;
    }
    std::this_thread::sleep_for(10ms);
  }
  EXPECT_LE(mostFramesBetweenTicks, 1u);
  for (int action = 0; action < 3; ++action) {
    EXPECT_TRUE(session.LockForOperator());
  }
  EXPECT_TRUE(host.Texts.empty()) << host.Texts.front();
}

TEST_F(SessionTest, HostSetupErrorIsReportedByItsId) {
  host.HostSetupResult = res::IDS_NO_MAPS;
  ASSERT_TRUE(session.Initialise());
  EXPECT_FALSE(session.Start());
  EXPECT_EQ(host.Errors, std::vector<int>{res::IDS_NO_MAPS});
}

TEST_F(SessionTest, FrameErrorKeepsTheReasonAndStopsFurtherFrames) {
  ScopedFault fault("frame:3");
  ASSERT_TRUE(session.Initialise());
  ASSERT_TRUE(session.Start());
  ASSERT_TRUE(WaitUntil([&] { return session.EngineError(); }));
  // The frame steps that follow the failed one, as the update thread would run them next.
  const std::uint64_t frames = session.FramesRun();
  session.RunFrameStep();
  session.RunFrameStep();
  EXPECT_EQ(session.FramesRun(), frames);
  EXPECT_TRUE(session.PendingConsoleLines().Empty());
  EXPECT_FALSE(session.EngineErrorReason().empty());
  EXPECT_TRUE(host.Errors.empty());
  session.Stop();
  EXPECT_FALSE(session.EngineError());
}

TEST_F(SessionTest, TheSlowestFrameIsTakenOnceForEachSpan) {
  setenv("VEX_SIM_FRAME_MS", "20", 1);
  const bool started = session.Initialise() && session.Start();
  unsetenv("VEX_SIM_FRAME_MS");
  ASSERT_TRUE(started);
  const std::uint64_t framesAtStart = session.FramesRun();
  ASSERT_TRUE(WaitUntil([&] { return session.FramesRun() >= framesAtStart + 2; }));
  session.Stop();
  EXPECT_GE(session.TakeSlowestFrameUs(), 20'000u);
  // No frame ran since it was taken, so the next span starts empty.
  EXPECT_EQ(session.TakeSlowestFrameUs(), 0u);
}

TEST_F(SessionTest, OutOfMemoryArrivesFromInsideAFrame) {
  ScopedFault fault("oom:2");
  ASSERT_TRUE(session.Initialise());
  ASSERT_TRUE(session.Start());
  ASSERT_TRUE(WaitUntil([&] {
    std::lock_guard guard(handler.mutex);
    return handler.outOfMemoryCalls > 0;
  }));
  {
    std::lock_guard guard(handler.mutex);
    EXPECT_NE(handler.outOfMemoryThread, std::this_thread::get_id());
  }
  session.Stop();
}

TEST_F(SessionTest, EngineOfAFailedCreateIsReleasedBeforeTheModuleIsUnloaded) {
  ScratchWorkingFolder folder;
  std::filesystem::create_symlink(VEX_FAILING_CREATE_MODULE, folder.Path() / "server.so");
  EXPECT_FALSE(session.Initialise());
  EXPECT_EQ(host.Errors, std::vector<int>{res::IDS_SETUP_FAILED});
  EXPECT_EQ(session.Engine(), nullptr);
  EXPECT_TRUE(std::filesystem::exists(folder.Path() / "released"));
}

TEST(EngineModule, MissingModuleAndMissingEntryReportTheLoadersReason) {
  std::string error;
  EXPECT_EQ(CEngineModule::LoadFrom("/nonexistent/server.so", error), nullptr);
  EXPECT_NE(error.find("server.so"), std::string::npos);
  error.clear();
  EXPECT_EQ(CEngineModule::LoadFrom("libm.so.6", error), nullptr);
  EXPECT_NE(error.find(kCreateEntryName), std::string::npos);
}

}  // namespace
}  // namespace vex
