#pragma once

#include <atomic>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>

#include "engine/IServerEngine.h"
#include "platform/JournalStream.h"
#include "platform/ManualResetEvent.h"
#include "platform/RecursiveLock.h"
#include "platform/WorkerThread.h"
#include "session/ConsoleLineQueue.h"

namespace vex {

class CEngineModule;

// The longest a stop waits for the update thread before it abandons the engine.
inline constexpr std::uint32_t kThreadStopTimeoutMs = 5000;

// What the session needs from the status window; every call comes on the window thread.
class ISessionHost {
 public:
  virtual void PrintConsoleLineById(int stringId) = 0;
  virtual void PrintConsoleText(std::string_view text) = 0;
  // An error or a warning that the host may mark as one.
  virtual void PrintConsoleDiagnostic(platform::Severity, std::string_view text) {
    PrintConsoleText(text);
  }
  // Fatal: shows the text of the id and closes the window.
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

// What the update thread works with. The session and its thread share it, so that a thread
// abandoned inside a hung frame keeps its own lock, event, engine and flags, and never touches
// what the session goes on with.
struct FrameLoopState {
  platform::RecursiveLock Lock;  // SessionLock
  platform::ManualResetEvent StopEvent;
  std::atomic<IServerEngine*> Engine{nullptr};
  std::atomic<bool> ThreadRecorded{false};
  std::atomic<bool> EngineError{false};
  // The engine's reason, written once before EngineError is set and read only after it is.
  std::string EngineErrorReason;
  // Frames finished; a message posted under the lock has been seen by the engine once it grows.
  std::atomic<std::uint64_t> FramesRun{0};
  // The longest engine frame since the window thread last took it, for the web page's plots.
  std::atomic<std::uint32_t> SlowestFrameUs{0};
  ConsoleLineQueue PendingConsoleLines;
};

// The session lock as the window thread holds it; empty when it could not be taken in time.
using SessionLockHold = std::unique_lock<platform::RecursiveLock>;

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

  IServerEngine* Engine() const { return loop_->Engine.load(); }
  bool HasThread() const { return loop_->ThreadRecorded.load(); }
  platform::RecursiveLock& Lock() { return loop_->Lock; }
  // The window thread's only ways to the session lock. A frame may hang inside the engine while
  // it holds the lock, so both give up after a short wait: a refresh tick that cannot lock is
  // skipped, and an operator action that cannot lock says on the console that the engine is not
  // answering.
  SessionLockHold LockBriefly();
  SessionLockHold LockForOperator();
  bool EngineError() const { return loop_->EngineError.load(); }
  // The engine's own text, once EngineError is set.
  const std::string& EngineErrorReason() const { return loop_->EngineErrorReason; }
  ConsoleLineQueue& PendingConsoleLines() { return loop_->PendingConsoleLines; }
  std::uint64_t FramesRun() const { return loop_->FramesRun.load(); }
  // The longest frame since the last call, in microseconds; starts the next span.
  std::uint32_t TakeSlowestFrameUs() { return loop_->SlowestFrameUs.exchange(0); }
  std::int64_t StartTime() const { return startTime_; }

  // One frame under the session lock, as the update thread runs it (tests call it too).
  void RunFrameStep() { RunFrameStep(*loop_); }

 private:
  static void RunFrameStep(FrameLoopState& loop);
  static void UpdateThreadBody(FrameLoopState& loop);
  bool CreateEngine();
  bool ChooseNetworkService();
  bool SendStartMessage();
  SessionLockHold TryLockFor(std::uint32_t milliseconds);
  void StopThread();
  void ReleaseEngine();

  ISessionHost& host_;
  ServerAppHandler& handler_;
  std::unique_ptr<CEngineModule> module_;
  std::shared_ptr<FrameLoopState> loop_;
  platform::WorkerThread thread_;
  bool engineAbandoned_ = false;
  std::int64_t startTime_ = 0;
};

}  // namespace vex
