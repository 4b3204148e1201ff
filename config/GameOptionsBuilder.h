#pragma once

#include "config/ServerConfig.h"
#include "engine/GameOptions.h"

namespace vex {

// The block as the host setup starts from it: all zero but for the presets.
CGameOptions PresetGameOptions();

// Copies the general settings and the group that GameType selects into a preset block; an
// unknown game type writes nothing. A level name that does not fit its 64-byte slot is cut to 63
// characters, and of more than 32 scoring entries the first 32 in table order are sent.
void TranslateConfig(const CServerConfig& config, CGameOptions& block);

}  // namespace vex
