#pragma once

#include <string>
#include <vector>

#include "engine/GameOptions.h"

namespace vex::sim {

// The engine's variables as `cvarlist` shows them: one line per field of the game options block
// that the host handed over, with its value and what it does. Passwords show only whether they
// are set.
std::vector<std::string> EngineVariableLines(const CGameOptions& block);

}  // namespace vex::sim
