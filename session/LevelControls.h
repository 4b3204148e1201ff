#pragma once

#include <string>
#include <string_view>

namespace vex {

class CServerSession;

// What became of a message for the game code.
struct EngineDelivery {
  enum class Outcome { Sent, NoEngine, Busy, Refused };
  Outcome What = Outcome::Sent;
  std::string Reason;  // the engine's last error, when it refused the message

  explicit operator bool() const { return What == Outcome::Sent; }
};

// Operator actions that message the game code; each takes the session lock around the engine
// call so that it never overlaps a frame, and sends nothing when a frame does not let go of it
// (Busy). An engine may refuse a message (a full queue, say): its result says so, and its last
// error why.
EngineDelivery SendNextLevel(CServerSession& session);
// Needs the update thread as well as the engine; a negative index sends nothing.
EngineDelivery SendSelectLevel(CServerSession& session, int levelIndex);
EngineDelivery SendConsoleCommand(CServerSession& session, std::string_view command);

}  // namespace vex
