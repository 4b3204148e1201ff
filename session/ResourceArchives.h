#pragma once

#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace vex {

class IServerEngine;

inline constexpr std::size_t kMaxArchives = 32;

struct ArchiveList {
  // In order: the fixed ones, the multiplayer archive from the game folder or from the disc,
  // then the custom list of VexMod\customrez.txt. Not yet cut to the engine's limit.
  std::vector<std::string> Archives;
  // Why a custom list that is there was left out (not a regular file, unreadable, malformed);
  // empty when it was read or is absent. Either way the list is no error.
  std::string CustomListProblem;
};

ArchiveList BuildArchiveList(const std::optional<std::string>& opticalDisc);

// Names at most the first 32 archives to the engine; true when it accepted them. A custom list
// left out is told through `printLine`.
bool LoadResourceArchives(IServerEngine& engine,
                          const std::function<void(std::string_view)>& printLine);

}  // namespace vex
