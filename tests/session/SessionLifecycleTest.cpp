#include <gtest/gtest.h>
#include <stdlib.h>

#include <algorithm>
#include <chrono>
#include <cstring>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "engine/EngineModule.h"
#include "res/Resource.h"
#include "session/GameHost.h"
#include "session/ServerSession.h"

namespace vex {
namespace {

using namespace std::chrono_literals;

// Stands in for the status window: records what the session shows and reports, and closes
// (stops the session) on a fatal report as the window does.
class RecordingHost final : public ISessionHost {
 public:
  CServerSession* Session = nullptr;
  std::vector<int> LineIds;
  std::vector<std::string> Texts;
  std::vector<int> Errors;
  int HostSetupResult = 0;
  bool TimerStarted = false;
  int TrackingResets = 0;
  int RosterDrops = 0;

  void PrintConsoleLineById(int stringId) override { LineIds.push_back(stringId); }
  void PrintConsoleText(std::string_view text) override { Texts.emplace_back(text); }
  void ReportError(int stringId) override {
    Errors.push_back(stringId);
    Session->Stop();
  }
  int SetUpGameHost(IServerEngine& engine) override {
    if (HostSetupResult != 0) {
      return HostSetupResult;
    }
    CGameOptions block{};
    block.GameType = 1;
    block.MaxTotalPlayers = 8;
    block.MapCount = 1;
    std::strcpy(block.Maps[0], "Worlds\\Multi\\Arena");
    return HostPreparedGame(engine, block, "Test server");
  }
  void StartRefreshTimer() override { TimerStarted = true; }
  void ResetTracking() override { ++TrackingResets; }
  void DropRoster() override { ++RosterDrops; }
};

class CountingHandler final : public ServerAppHandler {
 public:
  int OnOutOfMemory() override {
    std::lock_guard guard(mutex);
    outOfMemoryThread = std::this_thread::get_id();
    ++outOfMemoryCalls;
    return 0;
  }
  int OnConsoleText(const char*) override { return 0; }
  int OnGameMessage(const char*, int) override { return 0; }

  std::mutex mutex;
  int outOfMemoryCalls = 0;
  std::thread::id outOfMemoryThread;
};

class ScopedFault {
 public:
  explicit ScopedFault(const char* fault) { setenv("VEX_SIM_FAULT", fault, 1); }
  ~ScopedFault() { unsetenv("VEX_SIM_FAULT"); }
};

template <class Predicate>
bool WaitUntil(Predicate predicate, std::chrono::milliseconds limit = 3s) {
  const auto deadline = std::chrono::steady_clock::now() + limit;
  while (!predicate()) {
    if (std::chrono::steady_clock::now() > deadline) {
      return false;
    }
    std::this_thread::sleep_for(5ms);
  }
  return true;
}

class SessionTest : public ::testing::Test {
 protected:
  SessionTest() : session(host, handler) { host.Session = &session; }

  RecordingHost host;
  CountingHandler handler;
  CServerSession session;
};

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

TEST_F(SessionTest, HostSetupErrorIsReportedByItsId) {
  host.HostSetupResult = res::IDS_NO_MAPS;
  ASSERT_TRUE(session.Initialise());
  EXPECT_FALSE(session.Start());
  EXPECT_EQ(host.Errors, std::vector<int>{res::IDS_NO_MAPS});
}

TEST_F(SessionTest, FrameErrorQueuesOneLineAndStopsFurtherFrames) {
  ScopedFault fault("frame:3");
  ASSERT_TRUE(session.Initialise());
  ASSERT_TRUE(session.Start());
  ASSERT_TRUE(WaitUntil([&] { return session.EngineError(); }));
  std::this_thread::sleep_for(100ms);
  session.RunFrameStep();
  const auto lines = session.PendingConsoleLines().TakeAll();
  ASSERT_EQ(lines.size(), 1u);
  EXPECT_FALSE(lines[0].empty());
  EXPECT_TRUE(host.Errors.empty());
  session.Stop();
  EXPECT_FALSE(session.EngineError());
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
