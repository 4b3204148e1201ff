#include "session/ServerSession.h"

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <limits>
#include <mutex>

#include "engine/EngineModule.h"
#include "platform/Clock.h"
#include "res/Resource.h"
#include "session/FramePacing.h"
#include "session/GameHost.h"
#include "session/ResourceArchives.h"
#include "session/ShellMessages.h"

namespace vex {

namespace {

constexpr std::uint32_t kLastErrorSize = 255;
constexpr std::uint32_t kBriefLockWaitMs = 5;
// A frame may take a little longer than the one before it.
constexpr std::uint32_t kForetoldFrameSlackMs = 20;

}  // namespace

CServerSession::CServerSession(ISessionHost& host, ServerAppHandler& handler)
    : host_(host), handler_(handler), loop_(std::make_shared<FrameLoopState>()) {}

CServerSession::~CServerSession() {
  Stop();
}

bool CServerSession::Initialise() {
  Stop();
  host_.PrintConsoleLineById(res::IDS_INITIALIZING);
  if (!CreateEngine()) {
    host_.ReportError(res::IDS_SETUP_FAILED);
    return false;
  }
  IServerEngine* engine = Engine();
  if (engine->AttachHandler(&handler_) != 0) {
    host_.ReportError(res::IDS_SETUP_FAILED);
    return false;
  }
  if (!LoadResourceArchives(*engine,
                            [this](std::string_view line) { host_.PrintConsoleText(line); })) {
    host_.ReportError(res::IDS_RESOURCES_FAILED);
    return false;
  }
  loop_->PendingConsoleLines.Clear();
  loop_->EngineError = false;
  host_.ResetTracking();
  host_.PrintConsoleLineById(res::IDS_INITIALIZED);
  return true;
}

bool CServerSession::CreateEngine() {
  std::string error;
  std::string warning;
  module_ = CEngineModule::Load(error, warning);
  if (!warning.empty()) {
    host_.PrintConsoleDiagnostic(platform::Severity::Warning, warning);
  }
  if (!module_) {
    host_.PrintConsoleDiagnostic(platform::Severity::Error, error);
    return false;
  }
  IServerEngine* engine = nullptr;
  if (module_->Create(&engine) != 0 || engine == nullptr) {
    // A create entry may fail after making its engine; only the module can free that engine,
    // and only while it is still loaded.
    if (engine != nullptr) {
      module_->Release();
    }
    module_.reset();
    return false;
  }
  loop_->Engine = engine;
  return true;
}

bool CServerSession::Start() {
  IServerEngine* engine = Engine();
  if (engine == nullptr) {
    return false;
  }
  if (!ChooseNetworkService()) {
    host_.ReportError(res::IDS_NET_SERVICE_FAILED);
    return false;
  }
  if (const int error = host_.SetUpGameHost(*engine); error != 0) {
    host_.ReportError(error);
    return false;
  }
  if (engine->LoadGameCode() == 0) {
    host_.ReportError(res::IDS_GAME_CODE_FAILED);
    return false;
  }
  loop_->StopEvent.Reset();
  loop_->LastFrameEnd = std::chrono::steady_clock::now().time_since_epoch().count();
  if (!thread_.Start([loop = loop_] { UpdateThreadBody(*loop); })) {
    Stop();
    return false;
  }
  loop_->ThreadRecorded = true;
  host_.StartRefreshTimer();
  startTime_ = platform::CalendarSeconds();
  if (!SendStartMessage()) {
    host_.ReportError(res::IDS_MAP_FAILED);
    return false;
  }
  host_.PrintConsoleLineById(res::IDS_RUNNING);
  return true;
}

bool CServerSession::ChooseNetworkService() {
  IServerEngine* engine = Engine();
  if (engine->StartNetwork(0, 0) == 0) {
    return false;
  }
  NetServiceEntry* list = nullptr;
  if (engine->ListNetServices(&list) == 0 || list == nullptr) {
    return false;
  }
  const NetServiceEntry* chosen = nullptr;
  for (const NetServiceEntry* entry = list; entry != nullptr; entry = entry->Next) {
    if ((entry->Flags & kNetServiceUseFlag) != 0) {
      chosen = entry;
      break;
    }
  }
  const std::uint32_t handle = chosen != nullptr ? chosen->Handle : 0;
  engine->ReleaseNetServices(list);
  return chosen != nullptr && engine->ChooseNetService(handle) != 0;
}

bool CServerSession::SendStartMessage() {
  // Sent without the lock, as the game expects it before the first frame can run.
  const StartMessage message = MakeStartMessage();
  return Engine()->PostShellMessage(message.data(), message.size()) == 0;
}

void CServerSession::UpdateThreadBody(FrameLoopState& loop) {
  std::uint32_t last = platform::MillisecondClock();
  while (!loop.StopEvent.Wait(0)) {
    RunFrameStep(loop);
    loop.Lock.YieldToWish(kWishYieldMs);
    const std::uint32_t now = platform::MillisecondClock();
    const std::uint32_t pause = FramePause(last, now);
    if (pause > 0) {
      loop.StopEvent.WaitUntil(platform::InstantOfReading(now + pause));
    }
    last = NextFrameBase(pause, now, platform::MillisecondClock());
  }
}

void CServerSession::RunFrameStep(FrameLoopState& loop) {
  std::lock_guard guard(loop.Lock);
  IServerEngine* engine = loop.Engine;
  if (engine == nullptr || loop.EngineError || !loop.ThreadRecorded) {
    return;
  }
  const auto frameStart = std::chrono::steady_clock::now();
  loop.LatestFrameStart = frameStart.time_since_epoch().count();
  const int result = engine->RunFrame(0);
  const auto frameEnd = std::chrono::steady_clock::now();
  loop.Timings.Record(frameStart, frameEnd);
  const auto frameUs = std::chrono::duration_cast<std::chrono::microseconds>(frameEnd - frameStart);
  const auto us = static_cast<std::uint32_t>(std::min<std::chrono::microseconds::rep>(
      frameUs.count(), std::numeric_limits<std::uint32_t>::max()));
  // The window thread resets it between two loads of this loop; the compare-exchange then sees
  // the reset and writes this frame into the new span.
  std::uint32_t slowest = loop.SlowestFrameUs.load(std::memory_order_relaxed);
  while (us > slowest &&
         !loop.SlowestFrameUs.compare_exchange_weak(slowest, us, std::memory_order_relaxed)) {
  }
  ++loop.FramesRun;
  loop.LastFrameLength = (frameEnd - frameStart).count();
  loop.LastFrameEnd = frameEnd.time_since_epoch().count();
  if (result != 0) {
    return;
  }
  char reason[kLastErrorSize + 1] = {};
  engine->ReadLastError(reason, kLastErrorSize);
  reason[kLastErrorSize] = '\0';
  loop.EngineErrorReason = reason;
  loop.EngineError = true;
}

SessionLockHold CServerSession::TryLockFor(std::uint32_t milliseconds) {
  platform::RecursiveLock& lock = Lock();
  if (!lock.TryLockFor(milliseconds)) {
    return {};
  }
  return SessionLockHold(lock, std::adopt_lock);
}

SessionLockHold CServerSession::LockBriefly() {
  return TryLockFor(kBriefLockWaitMs);
}

std::optional<std::chrono::steady_clock::time_point> CServerSession::LastFrameEnd() const {
  if (!HasThread() || EngineError()) {
    return std::nullopt;
  }
  return std::chrono::steady_clock::time_point(
      std::chrono::steady_clock::duration(loop_->LastFrameEnd.load()));
}

std::uint32_t CServerSession::WaitBeforeHangMs() const {
  const std::optional<std::chrono::steady_clock::time_point> lastEnd = LastFrameEnd();
  if (!lastEnd) {
    return 0;
  }
  const auto since = std::chrono::duration_cast<std::chrono::milliseconds>(
      std::chrono::steady_clock::now() - *lastEnd);
  return static_cast<std::uint32_t>(
      std::clamp<std::chrono::milliseconds::rep>(kHungFrameMs - since.count(), 0, kHungFrameMs));
}

std::optional<std::uint32_t> CServerSession::ForetoldFrameRestMs() const {
  using std::chrono::steady_clock;
  const steady_clock::rep start = loop_->LatestFrameStart.load();
  if (FramesRun() == 0 || start <= loop_->LastFrameEnd.load()) {
    return std::nullopt;
  }
  const steady_clock::time_point end{steady_clock::duration(start + loop_->LastFrameLength.load())};
  const steady_clock::time_point now = steady_clock::now();
  if (now > end) {
    return std::nullopt;
  }
  return static_cast<std::uint32_t>(
      std::chrono::ceil<std::chrono::milliseconds>(end - now).count());
}

std::uint32_t CServerSession::RefreshWaitMs(std::uint64_t frames) const {
  if (const std::optional<std::uint32_t> rest = ForetoldFrameRestMs()) {
    return *rest <= kRefreshIntervalMs ? *rest + kForetoldFrameSlackMs : 0;
  }
  return refreshGaveUpAt_ == frames ? 0 : kLongestFrameWaitMs;
}

SessionLockHold CServerSession::LockForRefresh() {
  const std::uint64_t frames = FramesRun();
  const std::uint32_t waitMs = std::min(RefreshWaitMs(frames), WaitBeforeHangMs());
  platform::RecursiveLock& lock = Lock();
  if (!lock.TryLockOrWish(waitMs)) {
    refreshGaveUpAt_ = frames;
    return {};
  }
  refreshGaveUpAt_.reset();
  return SessionLockHold(lock, std::adopt_lock);
}

SessionLockHold CServerSession::LockForOperator() {
  SessionLockHold hold = TryLockFor(WaitBeforeHangMs());
  if (!hold) {
    host_.PrintConsoleDiagnostic(platform::Severity::Warning,
                                 "The engine is not answering; the action was not carried out.");
  }
  return hold;
}

std::string CServerSession::LastEngineError() {
  IServerEngine* engine = Engine();
  if (engine == nullptr) {
    return {};
  }
  const SessionLockHold hold = TryLockFor(WaitBeforeHangMs());
  return hold ? EngineLastError(*engine) : std::string();
}

bool CServerSession::Stop() {
  return StopAfterWaiting(kThreadStopTimeoutMs);
}

bool CServerSession::StopWithoutWaiting() {
  return StopAfterWaiting(0);
}

bool CServerSession::StopAfterWaiting(std::uint32_t waitMs) {
  if (HasThread()) {
    StopThread(waitMs);
  }
  if (Engine() != nullptr) {
    ReleaseEngine();
  }
  loop_->PendingConsoleLines.Clear();
  loop_->EngineError = false;
  loop_->EngineErrorReason.clear();
  refreshGaveUpAt_.reset();
  host_.DropRoster();
  return true;
}

void CServerSession::AskThreadToStop() {
  if (!HasThread()) {
    return;
  }
  loop_->StopEvent.Set();
  // The window thread now waits for the thread's end, not for the lock.
  loop_->Lock.DropWish();
  if (!stopAsked_) {
    stopAsked_ = std::chrono::steady_clock::now();
  }
}

bool CServerSession::WaitForThread(std::uint32_t milliseconds) {
  return !HasThread() || thread_.WaitFor(std::min(milliseconds, StopWaitLeftMs()));
}

std::uint32_t CServerSession::StopWaitLeftMs() const {
  if (!stopAsked_) {
    return kThreadStopTimeoutMs;
  }
  const auto waited = std::chrono::duration_cast<std::chrono::milliseconds>(
      std::chrono::steady_clock::now() - *stopAsked_);
  return static_cast<std::uint32_t>(std::clamp<std::chrono::milliseconds::rep>(
      kThreadStopTimeoutMs - waited.count(), 0, kThreadStopTimeoutMs));
}

void CServerSession::StopThread(std::uint32_t waitMs) {
  AskThreadToStop();
  if (thread_.WaitFor(std::min(waitMs, StopWaitLeftMs()))) {
    loop_->StopEvent.Reset();
    loop_->ThreadRecorded = false;
  } else {
    // A thread cannot be killed here. It keeps its loop state (and the lock it holds); the
    // session goes on with a new one and never calls the abandoned engine again.
    thread_.Abandon();
    engineAbandoned_ = true;
    auto fresh = std::make_shared<FrameLoopState>();
    fresh->Engine = loop_->Engine.load();
    loop_ = std::move(fresh);
    host_.PrintConsoleDiagnostic(
        platform::Severity::Warning,
        waitMs == 0 ? "The engine was abandoned without waiting for its frame to end."
                    : "The engine did not stop within 5 seconds and was abandoned.");
  }
  stopAsked_.reset();
  host_.PrintConsoleLineById(res::IDS_STOPPED);
}

void CServerSession::ReleaseEngine() {
  if (engineAbandoned_) {
    // The abandoned thread is still inside this engine's code.
    module_->KeepLoaded();
  } else {
    Engine()->AttachHandler(nullptr);
    module_->Release();
  }
  module_.reset();
  loop_->Engine = nullptr;
  engineAbandoned_ = false;
}

}  // namespace vex
