#pragma once

#include <atomic>
#include <chrono>
#include <cstdint>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>

#include "engine/IServerEngine.h"
#include "platform/JournalStream.h"
#include "platform/ManualResetEvent.h"
#include "platform/RecursiveLock.h"
#include "platform/WorkerThread.h"
#include "session/ConsoleLineQueue.h"
#include "session/FrameTimings.h"

namespace vex {

class CEngineModule;

// The longest a stop waits for the update thread before it abandons the engine.
inline constexpr std::uint32_t kThreadStopTimeoutMs = 5000;
// The longest the window thread waits at once for the frame under way where it has other work to
// do (a refresh tick, the first wait of a stop). A longer frame is waited for by coming back.
inline constexpr std::uint32_t kLongestFrameWaitMs = 250;
// A frame that has not ended this long after the one before it is taken for hung: the window
// thread no longer waits for it, and says that the engine is not responding. Well above the
// slowest engine that is still served (frames of a second, stretched by a busy machine).
inline constexpr std::uint32_t kHungFrameMs = 2000;
// The period of the window's refresh timer.
inline constexpr std::uint32_t kRefreshIntervalMs = 100;
// How long the update thread, after a frame, keeps the lock free for a refresh tick that could not
// take it during the frame: more than one tick.
inline constexpr std::uint32_t kWishYieldMs = 200;

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
  // Steady-clock readings: when the last frame ended (or the thread started, before the first),
  // when the latest frame began, and how long the last one took.
  std::atomic<std::chrono::steady_clock::rep> LastFrameEnd{0};
  std::atomic<std::chrono::steady_clock::rep> LatestFrameStart{0};
  std::atomic<std::chrono::steady_clock::rep> LastFrameLength{0};
  // The longest engine frame since the window thread last took it, for the web page's plots.
  std::atomic<std::uint32_t> SlowestFrameUs{0};
  FrameTimings Timings;
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
  // Always true; safe in any state and more than once. Waits for the update thread what is left of
  // the 5 s since the stop was asked, then abandons it.
  bool Stop();
  // The same, but a thread still inside a frame is abandoned at once.
  bool StopWithoutWaiting();
  // The stop's first step alone, so that the window thread can wait for the thread's end in its
  // event loop; the 5 s count from the first call.
  void AskThreadToStop();
  // Waits up to the given time for the update thread to end; true once none runs.
  bool WaitForThread(std::uint32_t milliseconds);
  // What is left of the stop's 5 s; the whole when no stop was asked.
  std::uint32_t StopWaitLeftMs() const;

  IServerEngine* Engine() const { return loop_->Engine.load(); }
  bool HasThread() const { return loop_->ThreadRecorded.load(); }
  platform::RecursiveLock& Lock() { return loop_->Lock; }
  // The window thread's only ways to the session lock. A frame may hang inside the engine while
  // it holds the lock, so none waits beyond the moment the frame under way counts as hung
  // (kHungFrameMs after the last frame ended); while one waits, the update thread lets it go
  // first, so a slow frame delays it by at most the rest of that frame.
  // A refresh tick waits for the frame under way only when it would end before the next tick
  // (as long as the frame before it took), or, when that cannot be told, up to
  // kLongestFrameWaitMs and not again while no frame has finished since. A tick that cannot lock
  // is skipped, and the frame under way, once it ends, leaves the lock to the next tick.
  SessionLockHold LockForRefresh();
  // Waits for the frame under way, however slow, unless it counts as hung; an action that cannot
  // lock says on the console that the engine is not answering.
  SessionLockHold LockForOperator();
  // For what must not hold the window thread up at all (a server query, the session's own resets).
  SessionLockHold LockBriefly();
  bool EngineError() const { return loop_->EngineError.load(); }
  // The engine's own text, once EngineError is set.
  const std::string& EngineErrorReason() const { return loop_->EngineErrorReason; }
  ConsoleLineQueue& PendingConsoleLines() { return loop_->PendingConsoleLines; }
  std::uint64_t FramesRun() const { return loop_->FramesRun.load(); }
  // When the engine last finished a frame; none while no frames are due (no update thread, or
  // an engine error stopped them).
  std::optional<std::chrono::steady_clock::time_point> LastFrameEnd() const;
  // The engine's last-error text, read under the session lock (the update thread may be inside
  // the engine); empty without an engine or when a hung frame keeps the lock.
  std::string LastEngineError();
  // The longest frame since the last call, in microseconds; starts the next span.
  std::uint32_t TakeSlowestFrameUs() { return loop_->SlowestFrameUs.exchange(0); }
  const FrameTimings& Timings() const { return loop_->Timings; }
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
  // How long the window thread may still wait before the frame under way counts as hung.
  std::uint32_t WaitBeforeHangMs() const;
  // What is left of the frame under way if it takes as long as the one before it; none when no
  // frame runs, none has ended yet, or this one already ran longer.
  std::optional<std::uint32_t> ForetoldFrameRestMs() const;
  std::uint32_t RefreshWaitMs(std::uint64_t frames) const;
  void StopThread(std::uint32_t waitMs);
  bool StopAfterWaiting(std::uint32_t waitMs);
  void ReleaseEngine();

  ISessionHost& host_;
  ServerAppHandler& handler_;
  std::unique_ptr<CEngineModule> module_;
  std::shared_ptr<FrameLoopState> loop_;
  platform::WorkerThread thread_;
  bool engineAbandoned_ = false;
  std::int64_t startTime_ = 0;
  std::optional<std::chrono::steady_clock::time_point> stopAsked_;
  // FramesRun when the last refresh wait ran out, while no frame has finished since.
  std::optional<std::uint64_t> refreshGaveUpAt_;
};

}  // namespace vex
