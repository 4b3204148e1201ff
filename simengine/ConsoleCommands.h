#pragma once

#include <string_view>

#include "simengine/DropCounts.h"
#include "simengine/Outbox.h"
#include "simengine/SimGame.h"

namespace vex::sim {

// Runs one line typed at the server's console: help, status, players, bots N, say TEXT, kick ID,
// map N, nextmap, cvarlist (the engine's variables, some 150 lines). Every answer is a game console
// line; the text typed is data, never a format. `status` also reports the datagrams that the game
// port dropped.
void RunConsoleCommand(std::string_view line, SimGame& game, const DropCounts& drops, Outbox& out);

}  // namespace vex::sim
