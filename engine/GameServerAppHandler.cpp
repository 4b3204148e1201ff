#include "engine/GameServerAppHandler.h"

#include <atomic>

namespace vex {

namespace {
std::atomic<IAppHandlerTarget*> appHandlerTarget{nullptr};
}

void SetAppHandlerTarget(IAppHandlerTarget* target) {
  appHandlerTarget.store(target);
}
IAppHandlerTarget* AppHandlerTarget() {
  return appHandlerTarget.load();
}

int CGameServerAppHandler::OnGameMessage(const char* data, int length) {
  if (IAppHandlerTarget* target = AppHandlerTarget()) {
    target->HandleGameMessage(data, length);
  }
  return 0;
}

int CGameServerAppHandler::OnConsoleText(const char* text) {
  if (IAppHandlerTarget* target = AppHandlerTarget(); target != nullptr && text != nullptr) {
    target->OnConsoleOutput(text);
  }
  return 0;
}

int CGameServerAppHandler::OnOutOfMemory() {
  if (IAppHandlerTarget* target = AppHandlerTarget()) {
    target->OnOutOfMemory();
  }
  return 0;
}

int CGameServerAppHandler::OnConsoleCommandStart() {
  if (IAppHandlerTarget* target = AppHandlerTarget()) {
    target->OnConsoleCommandMark(true);
  }
  return 0;
}

int CGameServerAppHandler::OnConsoleCommandEnd() {
  if (IAppHandlerTarget* target = AppHandlerTarget()) {
    target->OnConsoleCommandMark(false);
  }
  return 0;
}

int CGameServerAppHandler::OnDroppedDatagrams(std::uint64_t total) {
  droppedDatagrams_.store(total, std::memory_order_relaxed);
  dropsReported_.store(true, std::memory_order_release);
  return 0;
}

std::optional<std::uint64_t> CGameServerAppHandler::DroppedDatagrams() const {
  if (!dropsReported_.load(std::memory_order_acquire)) {
    return std::nullopt;
  }
  return droppedDatagrams_.load(std::memory_order_relaxed);
}

}  // namespace vex
