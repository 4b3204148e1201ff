#pragma once

#include <string_view>

namespace vex {

class CServerSession;

// Operator actions that message the game code; each takes the session lock around the engine
// call so that it never overlaps a frame, and sends nothing when a frame does not let go of it.
// True when the message went to the engine.
bool SendNextLevel(CServerSession& session);
// Needs the update thread as well as the engine; a negative index sends nothing.
bool SendSelectLevel(CServerSession& session, int levelIndex);
bool SendConsoleCommand(CServerSession& session, std::string_view command);

}  // namespace vex
