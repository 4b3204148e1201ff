#pragma once

#include <optional>
#include <string>
#include <vector>

namespace vex {

class IServerEngine;

inline constexpr std::size_t kMaxArchives = 32;

// The archives to mount, in order: the fixed ones, the multiplayer archive from the game folder
// or from the disc mounted at `opticalDisc`, then the custom list of VexMod\customrez.txt. Not
// yet cut to the engine's limit.
std::vector<std::string> BuildArchiveList(const std::optional<std::string>& opticalDisc);

// Names at most the first 32 archives to the engine; true when it accepted them.
bool LoadResourceArchives(IServerEngine& engine);

}  // namespace vex
