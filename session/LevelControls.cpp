#include "session/LevelControls.h"

#include "session/ServerSession.h"
#include "session/ShellMessages.h"

namespace vex {

namespace {

template <std::size_t N>
void Post(CServerSession& session, const std::array<std::uint8_t, N>& message) {
  const SessionLockHold hold = session.LockForOperator();
  if (!hold) {
    return;
  }
  session.Engine()->PostShellMessage(message.data(), static_cast<std::uint32_t>(message.size()));
}

}  // namespace

void SendNextLevel(CServerSession& session) {
  if (session.Engine() == nullptr) {
    return;
  }
  Post(session, MakeNextLevelMessage());
}

void SendSelectLevel(CServerSession& session, int levelIndex) {
  if (session.Engine() == nullptr || !session.HasThread() || levelIndex < 0) {
    return;
  }
  Post(session, MakeSelectLevelMessage(levelIndex));
}

void SendConsoleCommand(CServerSession& session, std::string_view command) {
  if (session.Engine() == nullptr) {
    return;
  }
  Post(session, MakeConsoleCommandMessage(command));
}

}  // namespace vex
