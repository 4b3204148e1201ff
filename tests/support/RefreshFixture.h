#pragma once

#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "engine/GameServerAppHandler.h"
#include "framework/Controls.h"
#include "framework/Dialog.h"
#include "res/Resource.h"
#include "session/ServerSession.h"
#include "tests/support/ScratchFolder.h"
#include "tests/support/ScriptedEngine.h"
#include "ui/GameMessages.h"
#include "ui/StatusRefresh.h"

namespace vex::test {

// The session's side of the status window, as far as a refresh needs it.
class RecordingHost final : public ISessionHost {
 public:
  explicit RecordingHost(GameTracking& tracking) : tracking_(tracking) {}
  void PrintConsoleLineById(int stringId) override { Ids.push_back(stringId); }
  void PrintConsoleText(std::string_view text) override { Texts.emplace_back(text); }
  void ReportError(int stringId) override { Errors.push_back(stringId); }
  int SetUpGameHost(IServerEngine&) override { return 0; }
  void StartRefreshTimer() override {}
  void ResetTracking() override { tracking_.Reset(); }
  void DropRoster() override {
    tracking_.Roster.Clear();
    tracking_.CurrentLevel = -1;
  }

  std::vector<int> Ids;
  std::vector<std::string> Texts;
  std::vector<int> Errors;

 private:
  GameTracking& tracking_;
};

// A running session on the scripted engine, the status window's two lists from the back-end
// named by the test, and a refresh context whose clock the test sets.
class RefreshFixture {
 public:
  static constexpr std::int64_t kStart = 1'000'000;
  static constexpr int kLevels = 4;

  // Needs a running back-end (the test program's environment starts one).
  RefreshFixture() {
    folder_.Link("server.so", VEX_SCRIPTED_ENGINE);
    window_ = std::make_unique<fw::CDialog>(res::IDD_SERVER);
    window_->Create();
    session_ = std::make_unique<CServerSession>(host_, handler_);
    started_ = session_->Initialise() && session_->Start();
    if (started_) {
      engine_ = static_cast<ScriptedEngine*>(session_->Engine());
    }
    for (const char* heading : {"Name", "Ping", "Kills", "Score", "Lives", "Time"}) {
      PlayerList().InsertColumn(PlayerList().GetColumnCount(), heading, 50);
    }
    LevelList().InsertColumn(0, "World", 50);
    for (int row = 0; row < kLevels; ++row) {
      LevelList().InsertItem(row, "level" + std::to_string(row));
    }
    Display.MaxPlayerCount = 16;
    Display.ServerStartTime = kStart;
    Display.LevelStartTime = kStart;
    context_ = std::make_unique<StatusRefreshContext>(
        StatusRefreshContext{*session_, Tracking, Display, PlayerList(), LevelList(),
                             [this](std::string_view line, platform::Severity severity) {
                               Printed.emplace_back(line);
                               Severities.push_back(severity);
                             },
                             [](QueuedLineKind) {}, [this] { ++Pushes; }, [this] { return Now; }});
  }
  ~RefreshFixture() {
    session_->Stop();
    window_.reset();
  }

  bool Started() const { return started_; }
  ScriptedEngine& Engine() { return *engine_; }
  CServerSession& Session() { return *session_; }
  fw::CListCtrl& PlayerList() { return window_->Control<fw::CListCtrl>(res::IDC_PLAYER_LIST); }
  fw::CListCtrl& LevelList() { return window_->Control<fw::CListCtrl>(res::IDC_LEVEL_LIST); }

  // Delivers a game message as the engine does: inside an engine call holding the session lock.
  void Send(const std::string& message) {
    std::lock_guard lock(session_->Lock());
    HandleGameMessage(Tracking, session_->PendingConsoleLines(), message.data(),
                      static_cast<int>(message.size()), Now);
  }
  RefreshOutcome Tick(std::int64_t now) {
    Now = now;
    return RefreshStatus(*context_);
  }

  GameTracking Tracking;
  StatusDisplay Display;
  std::int64_t Now = kStart;
  std::vector<std::string> Printed;
  std::vector<platform::Severity> Severities;
  int Pushes = 0;
  RecordingHost& Host() { return host_; }

 private:
  ScratchWorkingFolder folder_;
  std::unique_ptr<fw::CDialog> window_;
  RecordingHost host_{Tracking};
  CGameServerAppHandler handler_;
  std::unique_ptr<CServerSession> session_;
  ScriptedEngine* engine_ = nullptr;
  bool started_ = false;
  std::unique_ptr<StatusRefreshContext> context_;
};

}  // namespace vex::test
