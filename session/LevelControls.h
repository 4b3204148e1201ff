#pragma once

#include <string_view>

namespace vex {

class CServerSession;

// Operator actions that message the game code; each takes the session lock around the engine
// call so that it never overlaps a frame, and sends nothing when a frame does not let go of it.
void SendNextLevel(CServerSession& session);
// Needs the update thread as well as the engine; a negative index sends nothing.
void SendSelectLevel(CServerSession& session, int levelIndex);
void SendConsoleCommand(CServerSession& session, std::string_view command);

}  // namespace vex
