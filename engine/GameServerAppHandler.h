#pragma once

#include <atomic>
#include <cstdint>
#include <optional>

#include "engine/ServerAppHandler.h"

namespace vex {

// The side of the status window that the engine's callbacks reach.
class IAppHandlerTarget {
 public:
  virtual void HandleGameMessage(const char* data, int length) = 0;
  virtual void OnConsoleOutput(const char* text) = 0;
  virtual void OnOutOfMemory() = 0;
  virtual void OnConsoleCommandMark(bool start) = 0;

 protected:
  ~IAppHandlerTarget() = default;
};

// The process-wide pointer to the one status window; set when it is built.
void SetAppHandlerTarget(IAppHandlerTarget* target);
IAppHandlerTarget* AppHandlerTarget();

// The callback object attached to the engine; it keeps no pointer of its own to the window.
class CGameServerAppHandler final : public ServerAppHandler {
 public:
  int OnGameMessage(const char* data, int length) override;
  int OnConsoleText(const char* text) override;
  int OnOutOfMemory() override;
  int OnConsoleCommandStart() override;
  int OnConsoleCommandEnd() override;
  int OnDroppedDatagrams(std::uint64_t total) override;

  // The engine's last report; nothing from an engine that does not report drops.
  std::optional<std::uint64_t> DroppedDatagrams() const;

 private:
  std::atomic<std::uint64_t> droppedDatagrams_{0};
  std::atomic<bool> dropsReported_{false};
};

}  // namespace vex
