#pragma once

#include <string>
#include <string_view>

#include "engine/GameOptions.h"
#include "engine/IServerEngine.h"

namespace vex {

// Hands the prepared block to the engine and hosts; 0 on success, else the host error's string id.
int HostPreparedGame(IServerEngine& engine, const CGameOptions& block,
                     std::string_view serverNameText);

// The engine's reason for its last refusal; empty when it gives none.
std::string EngineLastError(IServerEngine& engine);

HostRecord MakeHostRecord(const CGameOptions& block, std::string_view serverNameText);

}  // namespace vex
