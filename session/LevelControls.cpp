#include "session/LevelControls.h"

#include "session/ServerSession.h"
#include "session/ShellMessages.h"

namespace vex {

namespace {

constexpr std::uint32_t kReasonSize = 255;

template <std::size_t N>
EngineDelivery Post(CServerSession& session, const std::array<std::uint8_t, N>& message) {
  const SessionLockHold hold = session.LockForOperator();
  if (!hold) {
    return {EngineDelivery::Outcome::Busy, {}};
  }
  IServerEngine& engine = *session.Engine();
  if (engine.PostShellMessage(message.data(), static_cast<std::uint32_t>(message.size())) == 0) {
    return {};
  }
  char reason[kReasonSize + 1] = {};
  engine.ReadLastError(reason, kReasonSize);
  reason[kReasonSize] = '\0';
  return {EngineDelivery::Outcome::Refused, reason};
}

}  // namespace

EngineDelivery SendNextLevel(CServerSession& session) {
  if (session.Engine() == nullptr) {
    return {EngineDelivery::Outcome::NoEngine, {}};
  }
  return Post(session, MakeNextLevelMessage());
}

EngineDelivery SendSelectLevel(CServerSession& session, int levelIndex) {
  if (session.Engine() == nullptr || !session.HasThread() || levelIndex < 0) {
    return {EngineDelivery::Outcome::NoEngine, {}};
  }
  return Post(session, MakeSelectLevelMessage(levelIndex));
}

EngineDelivery SendConsoleCommand(CServerSession& session, std::string_view command) {
  if (session.Engine() == nullptr) {
    return {EngineDelivery::Outcome::NoEngine, {}};
  }
  return Post(session, MakeConsoleCommandMessage(command));
}

}  // namespace vex
