#pragma once

#include <atomic>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "engine/IServerEngine.h"
#include "platform/ManualResetEvent.h"
#include "platform/RecursiveLock.h"
#include "platform/WorkerThread.h"
#include "session/ConsoleLineQueue.h"

namespace vex {

class CEngineModule;

// What the session needs from the status window; every call but ReportError comes on the window
// thread.
class ISessionHost {
 public:
  virtual void PrintConsoleLineById(int stringId) = 0;
  virtual void PrintConsoleText(std::string_view text) = 0;
  // Fatal: shows the text of the id and closes the window. May be called from any thread.
  virtual void ReportError(int stringId) = 0;
  // The game host setup; returns 0 or the string id of its error.
  virtual int SetUpGameHost(IServerEngine& engine) = 0;
  virtual void StartRefreshTimer() = 0;
  // Tracking values of the game messages: reset at initialise, roster dropped at stop.
  virtual void ResetTracking() = 0;
  virtual void DropRoster() = 0;

 protected:
  ~ISessionHost() = default;
};

// The engine server's life: create and attach, archives, hosting, the update thread, release.
class CServerSession {
 public:
  CServerSession(ISessionHost& host, ServerAppHandler& handler);
  ~CServerSession();
  CServerSession(const CServerSession&) = delete;
  CServerSession& operator=(const CServerSession&) = delete;

  bool Initialise();
  bool Start();
  bool Stop();  // always true; safe in any state and more than once

  IServerEngine* Engine() const { return engine_; }
  bool HasThread() const { return threadRecorded_.load(); }
  platform::RecursiveLock& Lock() { return *lock_; }  // SessionLock
  bool EngineError() const { return engineError_.load(); }
  ConsoleLineQueue& PendingConsoleLines() { return pendingConsoleLines_; }
  std::int64_t StartTime() const { return startTime_; }

  // One frame under the session lock; the update thread's body calls it (tests too).
  void RunFrameStep();

 private:
  bool CreateEngine();
  bool ChooseNetworkService();
  bool SendStartMessage();
  void UpdateThreadBody(platform::ManualResetEvent& stopEvent);
  void StopThread();
  void ReleaseEngine();

  ISessionHost& host_;
  ServerAppHandler& handler_;
  std::unique_ptr<CEngineModule> module_;
  IServerEngine* engine_ = nullptr;
  std::unique_ptr<platform::RecursiveLock> lock_;
  // Shared with the update thread, so that a thread abandoned inside a hung frame never touches
  // an event that has gone.
  std::shared_ptr<platform::ManualResetEvent> stopEvent_;
  platform::WorkerThread thread_;
  std::atomic<bool> threadRecorded_{false};
  bool engineAbandoned_ = false;
  std::atomic<bool> engineError_{false};
  ConsoleLineQueue pendingConsoleLines_;
  std::int64_t startTime_ = 0;
};

}  // namespace vex
