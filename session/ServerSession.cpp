#include "session/ServerSession.h"

#include <mutex>
#include <vector>

#include "engine/EngineModule.h"
#include "platform/Clock.h"
#include "res/Resource.h"
#include "session/FramePacing.h"
#include "session/ResourceArchives.h"
#include "session/ShellMessages.h"

namespace vex {

namespace {

constexpr std::uint32_t kThreadStopTimeoutMs = 5000;
constexpr std::uint32_t kLastErrorSize = 255;

// What an abandoned update thread may still hold. Kept reachable for the rest of the process:
// the thread can never be joined, so none of it may be freed under it.
struct AbandonedThreadState {
  std::unique_ptr<platform::RecursiveLock> Lock;
  std::unique_ptr<CEngineModule> Module;
};

void KeepForever(AbandonedThreadState state) {
  static auto* abandoned = new std::vector<AbandonedThreadState>();
  abandoned->push_back(std::move(state));
}

}  // namespace

CServerSession::CServerSession(ISessionHost& host, ServerAppHandler& handler)
    : host_(host),
      handler_(handler),
      lock_(std::make_unique<platform::RecursiveLock>()),
      stopEvent_(std::make_shared<platform::ManualResetEvent>()) {}

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
  if (engine_->AttachHandler(&handler_) != 0) {
    host_.ReportError(res::IDS_SETUP_FAILED);
    return false;
  }
  if (!LoadResourceArchives(*engine_)) {
    host_.ReportError(res::IDS_RESOURCES_FAILED);
    return false;
  }
  pendingConsoleLines_.Clear();
  engineError_ = false;
  host_.ResetTracking();
  host_.PrintConsoleLineById(res::IDS_INITIALIZED);
  return true;
}

bool CServerSession::CreateEngine() {
  std::string error;
  module_ = CEngineModule::Load(error);
  if (!module_) {
    host_.PrintConsoleText(error);
    return false;
  }
  IServerEngine* engine = nullptr;
  if (module_->Create(&engine) != 0 || engine == nullptr) {
    module_.reset();
    return false;
  }
  engine_ = engine;
  return true;
}

bool CServerSession::Start() {
  if (engine_ == nullptr) {
    return false;
  }
  if (!ChooseNetworkService()) {
    host_.ReportError(res::IDS_NET_SERVICE_FAILED);
    return false;
  }
  if (const int error = host_.SetUpGameHost(*engine_); error != 0) {
    host_.ReportError(error);
    return false;
  }
  if (engine_->LoadGameCode() == 0) {
    host_.ReportError(res::IDS_GAME_CODE_FAILED);
    return false;
  }
  stopEvent_->Reset();
  auto stopEvent = stopEvent_;
  if (!thread_.Start([this, stopEvent] { UpdateThreadBody(*stopEvent); })) {
    Stop();
    return false;
  }
  threadRecorded_ = true;
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
  if (engine_->StartNetwork(0, 0) == 0) {
    return false;
  }
  NetServiceEntry* list = nullptr;
  if (engine_->ListNetServices(&list) == 0 || list == nullptr) {
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
  engine_->ReleaseNetServices(list);
  return chosen != nullptr && engine_->ChooseNetService(handle) != 0;
}

bool CServerSession::SendStartMessage() {
  // Sent without the lock, as the game expects it before the first frame can run.
  const StartMessage message = MakeStartMessage();
  return engine_->PostShellMessage(message.data(), message.size()) == 0;
}

void CServerSession::UpdateThreadBody(platform::ManualResetEvent& stopEvent) {
  std::uint32_t last = platform::MillisecondClock();
  while (!stopEvent.Wait(0)) {
    RunFrameStep();
    const std::uint32_t now = platform::MillisecondClock();
    const std::uint32_t pause = FramePause(last, now);
    if (pause > 0) {
      stopEvent.Wait(pause);
    }
    last = NextFrameBase(pause, now, platform::MillisecondClock());
  }
}

void CServerSession::RunFrameStep() {
  std::lock_guard guard(*lock_);
  if (engine_ == nullptr || engineError_ || !threadRecorded_) {
    return;
  }
  if (engine_->RunFrame(0) != 0) {
    return;
  }
  char reason[kLastErrorSize + 1] = {};
  engine_->ReadLastError(reason, kLastErrorSize);
  reason[kLastErrorSize] = '\0';
  pendingConsoleLines_.Push(reason);
  engineError_ = true;
}

bool CServerSession::Stop() {
  if (threadRecorded_) {
    StopThread();
  }
  if (engine_ != nullptr) {
    ReleaseEngine();
  }
  pendingConsoleLines_.Clear();
  engineError_ = false;
  host_.DropRoster();
  return true;
}

void CServerSession::StopThread() {
  stopEvent_->Set();
  if (!thread_.WaitFor(kThreadStopTimeoutMs)) {
    // A thread cannot be killed here. It keeps its engine, its lock and its event; the session
    // goes on with new ones and never calls that engine again.
    thread_.Abandon();
    engineAbandoned_ = true;
    KeepForever({std::move(lock_), nullptr});
    lock_ = std::make_unique<platform::RecursiveLock>();
    stopEvent_ = std::make_shared<platform::ManualResetEvent>();
    host_.PrintConsoleText("The update thread did not stop within 5 seconds; it was abandoned.");
  }
  stopEvent_->Reset();
  threadRecorded_ = false;
  host_.PrintConsoleLineById(res::IDS_STOPPED);
}

void CServerSession::ReleaseEngine() {
  if (engineAbandoned_) {
    module_->KeepLoaded();
    KeepForever({nullptr, std::move(module_)});
  } else {
    engine_->AttachHandler(nullptr);
    module_->Release();
    module_.reset();
  }
  engine_ = nullptr;
  engineAbandoned_ = false;
}

}  // namespace vex
