#include "simengine/SimEngine.h"

#include <chrono>
#include <cstring>
#include <span>
#include <thread>
#include <utility>

#include "engine/GameOptions.h"
#include "simengine/ConsoleCommands.h"
#include "simengine/FaultSwitch.h"

namespace vex::sim {

namespace {

constexpr std::size_t kMaxPendingCommands = 64;
constexpr std::uint32_t kMaxArchives = 32;

std::string Sanitised(std::string text) {
  for (char& c : text) {
    if (static_cast<unsigned char>(c) < 32) {
      c = ' ';
    }
  }
  return text;
}

}  // namespace

SimEngine::SimEngine(const SimSettings& settings)
    : settings_(settings),
      clock_(settings.StepMillis),
      game_(settings.Seed, settings.Bots),
      net_(settings.ClientTimeoutMillis) {
  game_.SetNetEvents(&net_);
  game_.SetProtectedClient(settings.ProtectedClient);
}

SimEngine::~SimEngine() = default;

bool SimEngine::OpenFrameLog() {
  return settings_.FrameLogPath.empty() || frameLog_.Open(settings_.FrameLogPath);
}

int SimEngine::AttachHandler(ServerAppHandler* handler) {
  if (handler != nullptr && settings_.Injected.HangsAt(FaultPoint::Attach)) {
    HangForever();
  }
  std::lock_guard lock(mutex_);
  if (handler != nullptr && settings_.Injected.At(FaultPoint::Attach)) {
    SetError("Attaching the handler was refused (VEX_SIM_FAULT=attach).");
    return 1;
  }
  handler_ = handler;
  return 0;
}

int SimEngine::LoadResourceArchives(const char* const* paths, std::uint32_t count) {
  if (settings_.Injected.HangsAt(FaultPoint::Archives)) {
    HangForever();
  }
  Outbox out;
  ServerAppHandler* handler = nullptr;
  {
    std::lock_guard lock(mutex_);
    if (settings_.Injected.At(FaultPoint::Archives)) {
      SetError("Mounting the resource archives was refused (VEX_SIM_FAULT=archives).");
      return 0;
    }
    if (count > kMaxArchives || (count > 0 && paths == nullptr)) {
      SetError("A list of " + std::to_string(count) + " resource archives cannot be mounted.");
      return 0;
    }
    for (std::uint32_t i = 0; i < count; ++i) {
      if (paths[i] == nullptr || paths[i][0] == '\0') {
        SetError("Resource archive " + std::to_string(i) + " has no name.");
        return 0;
      }
    }
    handler = handler_;
    out.Console("Mounted " + std::to_string(count) + " resource archives.");
  }
  out.DeliverTo(handler);
  return 1;
}

int SimEngine::LoadGameCode() {
  if (settings_.Injected.HangsAt(FaultPoint::GameCode)) {
    HangForever();
  }
  std::lock_guard lock(mutex_);
  if (settings_.Injected.At(FaultPoint::GameCode)) {
    SetError("Loading the game code was refused (VEX_SIM_FAULT=gamecode).");
    return 0;
  }
  return 1;
}

int SimEngine::StartNetwork(int, int) {
  return 1;
}

int SimEngine::ListNetServices(NetServiceEntry** list) {
  std::lock_guard lock(mutex_);
  if (list == nullptr) {
    SetError("No place to put the list of network services.");
    return 0;
  }
  *list = serviceLists_.Create();
  return 1;
}

int SimEngine::ReleaseNetServices(NetServiceEntry* list) {
  std::lock_guard lock(mutex_);
  if (!serviceLists_.Release(list)) {
    SetError("That is not a list of network services handed out by this engine.");
    return 0;
  }
  return 1;
}

int SimEngine::ChooseNetService(std::uint32_t handle) {
  if (settings_.Injected.HangsAt(FaultPoint::Service)) {
    HangForever();
  }
  std::lock_guard lock(mutex_);
  if (settings_.Injected.At(FaultPoint::Service)) {
    SetError("Choosing the network service was refused (VEX_SIM_FAULT=service).");
    return 0;
  }
  if (!IsNetServiceHandle(handle)) {
    SetError("Unknown network service " + std::to_string(handle) + ".");
    return 0;
  }
  return 1;
}

int SimEngine::SetGameOptions(const void* block, std::uint32_t size) {
  std::lock_guard lock(mutex_);
  if (block == nullptr || size != kGameOptionsSize) {
    SetError("Game options of " + std::to_string(size) + " bytes refused; the block has " +
             std::to_string(kGameOptionsSize) + ".");
    return 0;
  }
  CGameOptions options;
  std::memcpy(&options, block, sizeof options);
  game_.SetOptions(options);
  return 1;
}

int SimEngine::StartHosting(const HostRecord* record) {
  if (settings_.Injected.HangsAt(FaultPoint::Host)) {
    HangForever();
  }
  Outbox out;
  ServerAppHandler* handler = nullptr;
  {
    std::lock_guard lock(mutex_);
    if (settings_.Injected.At(FaultPoint::Host)) {
      SetError("Hosting was refused (VEX_SIM_FAULT=host).");
      return 0;
    }
    if (record == nullptr) {
      SetError("No host record.");
      return 0;
    }
    if (net_.IsOpen()) {
      SetError("Already hosting on UDP port " + std::to_string(net_.Port()) + ".");
      return 0;
    }
    if (record->Port < 0 || record->Port > 65535) {
      SetError("Port " + std::to_string(record->Port) + " is outside 0 to 65535.");
      return 0;
    }
    std::string error;
    if (!net_.Open(record->Port, error)) {
      SetError(std::move(error));
      return 0;
    }
    std::string name(record->ServerName, strnlen(record->ServerName, sizeof record->ServerName));
    game_.SetHost(name, record->MaxPlayers);
    handler = handler_;
    out.Console("Hosting \"" + name + "\" on UDP port " + std::to_string(net_.Port()) +
                " for up to " + std::to_string(record->MaxPlayers) + " players.");
  }
  out.DeliverTo(handler);
  return 1;
}

// Messages take effect at the next frame, where the game code runs: their callbacks then arrive
// on the frame's thread, also for the start message that the host posts without its own lock.
int SimEngine::PostShellMessage(const void* data, std::uint32_t size) {
  std::string error;
  std::optional<ShellCommand> command;
  if (data != nullptr) {
    command = ParseShellMessage(std::span(static_cast<const std::uint8_t*>(data), size), error);
  }
  if (command && command->Type == ShellCommand::Kind::Start &&
      settings_.Injected.HangsAt(FaultPoint::Start)) {
    HangForever();
  }
  std::lock_guard lock(mutex_);
  if (data == nullptr) {
    SetError("Empty shell message.");
    return 1;
  }
  if (!command) {
    SetError(std::move(error));
    return 1;
  }
  if (command->Type == ShellCommand::Kind::Start && settings_.Injected.At(FaultPoint::Start)) {
    SetError("The start message was refused (VEX_SIM_FAULT=start).");
    return 1;
  }
  if (pendingCommands_.size() >= kMaxPendingCommands) {
    SetError("Too many shell messages waiting for the next frame.");
    return 1;
  }
  pendingCommands_.push_back(std::move(*command));
  return 0;
}

void SimEngine::Apply(const ShellCommand& command, Outbox& out) {
  switch (command.Type) {
    case ShellCommand::Kind::Start:
      game_.Start(out);
      break;
    case ShellCommand::Kind::NextLevel:
      game_.NextLevel(out);
      break;
    case ShellCommand::Kind::SelectLevel:
      game_.SelectLevel(command.Level, out);
      break;
    case ShellCommand::Kind::Console:
      out.CommandStart();
      RunConsoleCommand(command.Text, game_, net_.Drops(), out);
      out.CommandEnd();
      break;
  }
}

// The packet callback, which the host ignores, lets a benchmark see when each frame begins.
void SimEngine::TraceFrameStart() {
  ServerAppHandler* handler = nullptr;
  std::uint32_t number = 0;
  std::uint16_t port = 0;
  {
    std::lock_guard lock(mutex_);
    handler = handler_;
    number = static_cast<std::uint32_t>(frame_ + 1);
    port = static_cast<std::uint16_t>(net_.Port());
  }
  if (handler != nullptr) {
    handler->OnPacket(number, 0, 0, port);
  }
}

int SimEngine::RunFrame(int) {
  // Only the frame thread writes it, so it needs no lock.
  frameLog_.RecordFrameStart();
  if (settings_.TraceFrames) {
    TraceFrameStart();
  }
  Outbox out;
  ServerAppHandler* handler = nullptr;
  bool hang = false;
  {
    std::lock_guard lock(mutex_);
    ++frame_;
    const Fault& fault = settings_.Injected;
    if (fault.AtFrame(FaultPoint::Frame, frame_)) {
      SetError("Simulated engine failure in frame " + std::to_string(frame_) +
               " (VEX_SIM_FAULT=frame:" + std::to_string(frame_) + ").");
      return 0;
    }
    hang = fault.AtFrame(FaultPoint::Hang, frame_);
    if (!hang) {
      for (const ShellCommand& command : std::exchange(pendingCommands_, {})) {
        Apply(command, out);
      }
      game_.Advance(clock_.NextStepMs(), out);
      net_.Service(game_, out, [this] { return StatusReply(); });
      ReportDrops(out);
      if (fault.AtFrame(FaultPoint::OutOfMemory, frame_)) {
        out.OutOfMemory();
      }
      handler = handler_;
    }
  }
  // Outside the mutex, so that a host which gives up on this frame can still ask for pings and
  // release the engine.
  if (hang) {
    HangForever();
  }
  out.DeliverTo(handler);
  if (settings_.FrameMillis > 0) {
    std::this_thread::sleep_for(std::chrono::milliseconds(settings_.FrameMillis));
  }
  return 1;
}

// One line of tab-separated fields for the UDP status query.
void SimEngine::ReportDrops(Outbox& out) {
  const std::uint64_t dropped = net_.Drops().Total();
  if (reportedDrops_ != dropped) {
    out.DroppedDatagrams(dropped);
    reportedDrops_ = dropped;
  }
}

std::string SimEngine::StatusReply() const {
  const GameSummary summary = game_.Summary();
  return "name=" + Sanitised(summary.ServerName) + "\tgame=" + summary.GameType +
         "\tlevel=" + std::to_string(summary.Level) + "\tmap=" + Sanitised(summary.LevelName) +
         "\tplayers=" + std::to_string(summary.Players) + "/" + std::to_string(summary.Capacity) +
         "\n";
}

int SimEngine::KickClient(std::int32_t clientId) {
  Outbox out;
  ServerAppHandler* handler = nullptr;
  {
    std::lock_guard lock(mutex_);
    if (!game_.Kick(clientId, out)) {
      SetError("No client with id " + std::to_string(clientId) + ".");
      return 0;
    }
    handler = handler_;
  }
  out.DeliverTo(handler);
  return 1;
}

// Records no reason on failure: the host asks for pings without its own lock while a frame may
// run, and a failed query must not replace a failed frame's reason before the frame thread reads
// it.
int SimEngine::ReadClientPing(std::int32_t clientId, float* seconds) {
  std::lock_guard lock(mutex_);
  const std::optional<float> ping = game_.PingSeconds(clientId);
  if (!ping || seconds == nullptr) {
    return 0;
  }
  *seconds = *ping;
  return 1;
}

int SimEngine::ReadLastError(char* buffer, std::uint32_t size) {
  std::lock_guard lock(mutex_);
  if (buffer == nullptr || size == 0) {
    return 0;
  }
  const std::size_t length = std::min<std::size_t>(lastError_.size(), size - 1);
  std::memcpy(buffer, lastError_.data(), length);
  buffer[length] = '\0';
  return 1;
}

}  // namespace vex::sim
