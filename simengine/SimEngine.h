#pragma once

#include <cstdint>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "engine/IServerEngine.h"
#include "simengine/FrameLog.h"
#include "simengine/GameClock.h"
#include "simengine/NetHost.h"
#include "simengine/NetServices.h"
#include "simengine/Outbox.h"
#include "simengine/ShellCommand.h"
#include "simengine/SimGame.h"
#include "simengine/SimSettings.h"

namespace vex::sim {

// The engine object behind the module's create entry. One mutex guards its state because the
// host calls ReadClientPing, and posts its start message, while a frame may run on another
// thread. Callbacks are made on the calling thread after that mutex is released.
class SimEngine final : public IServerEngine {
 public:
  explicit SimEngine(const SimSettings& settings);
  // False when the frame log that the settings name cannot be written.
  bool OpenFrameLog();
  ~SimEngine();
  SimEngine(const SimEngine&) = delete;
  SimEngine& operator=(const SimEngine&) = delete;

  int AttachHandler(ServerAppHandler* handler) override;
  int PostShellMessage(const void* data, std::uint32_t size) override;
  int LoadResourceArchives(const char* const* paths, std::uint32_t count) override;
  int LoadGameCode() override;
  int SetGameOptions(const void* block, std::uint32_t size) override;
  int KickClient(std::int32_t clientId) override;
  int ReadClientPing(std::int32_t clientId, float* seconds) override;
  int ReadLastError(char* buffer, std::uint32_t size) override;
  int RunFrame(int reserved) override;
  int StartNetwork(int a, int b) override;
  int ListNetServices(NetServiceEntry** list) override;
  int ReleaseNetServices(NetServiceEntry* list) override;
  int ChooseNetService(std::uint32_t handle) override;
  int StartHosting(const HostRecord* record) override;

 private:
  // Records the reason for ReadLastError; the caller holds the mutex.
  void SetError(std::string reason) { lastError_ = std::move(reason); }
  void Apply(const ShellCommand& command, Outbox& out);
  void TraceFrameStart();
  std::string StatusReply() const;
  // The game port's dropped datagrams, when their total changed; the caller holds the mutex.
  void ReportDrops(Outbox& out);

  std::mutex mutex_;
  const SimSettings settings_;
  ServerAppHandler* handler_ = nullptr;
  std::string lastError_;
  NetServiceLists serviceLists_;
  std::vector<ShellCommand> pendingCommands_;
  GameClock clock_;
  SimGame game_;
  NetHost net_;
  std::uint64_t frame_ = 0;
  std::optional<std::uint64_t> reportedDrops_;
  FrameLog frameLog_;
};

}  // namespace vex::sim
