#include "session/LevelControls.h"

#include "session/ServerSession.h"
#include "session/ShellMessages.h"

namespace vex {

namespace {

template <std::size_t N>
bool Post(CServerSession& session, const std::array<std::uint8_t, N>& message) {
  const SessionLockHold hold = session.LockForOperator();
  if (!hold) {
    return false;
  }
  session.Engine()->PostShellMessage(message.data(), static_cast<std::uint32_t>(message.size()));
  return true;
}

}  // namespace

bool SendNextLevel(CServerSession& session) {
  return session.Engine() != nullptr && Post(session, MakeNextLevelMessage());
}

bool SendSelectLevel(CServerSession& session, int levelIndex) {
  return session.Engine() != nullptr && session.HasThread() && levelIndex >= 0 &&
         Post(session, MakeSelectLevelMessage(levelIndex));
}

bool SendConsoleCommand(CServerSession& session, std::string_view command) {
  return session.Engine() != nullptr && Post(session, MakeConsoleCommandMessage(command));
}

}  // namespace vex
