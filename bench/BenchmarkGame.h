#pragma once

#include <cstring>

#include "session/GameHost.h"

namespace vex::bench {

// The one-level deathmatch that the session benchmarks host on the real engine module.
inline int HostBenchmarkGame(IServerEngine& engine, int maxPlayers) {
  CGameOptions block{};
  block.GameType = 1;
  block.MaxTotalPlayers = maxPlayers;
  block.MapCount = 1;
  std::strcpy(block.Maps[0], "Worlds\\Multi\\Arena");
  return HostPreparedGame(engine, block, "Benchmark");
}

}  // namespace vex::bench
