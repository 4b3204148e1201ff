#pragma once

#include <gtest/gtest.h>
#include <stdlib.h>

#include <chrono>
#include <cstring>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "res/Resource.h"
#include "session/GameHost.h"
#include "session/ServerSession.h"
#include "tests/support/WaitUntil.h"

namespace vex::test {

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
  // Runs at a fatal report, before the window would close.
  std::function<void()> OnReport;

  void PrintConsoleLineById(int stringId) override { LineIds.push_back(stringId); }
  void PrintConsoleText(std::string_view text) override { Texts.emplace_back(text); }
  void ReportError(int stringId) override {
    Errors.push_back(stringId);
    if (OnReport) {
      OnReport();
    }
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

class SessionTest : public ::testing::Test {
 protected:
  SessionTest() : session(host, handler) { host.Session = &session; }

  RecordingHost host;
  CountingHandler handler;
  CServerSession session;
};

}  // namespace vex::test
