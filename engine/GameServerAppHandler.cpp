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

}  // namespace vex
