#pragma once

#include <cstdint>
#include <string>

namespace vex::sim {

// One simulated player as the game code knows it.
struct SimPlayer {
  std::int32_t Id = 0;
  std::string Name;
  int Kills = 0;
  int Score = 0;
  int Lives = 0;
  std::uint8_t Kind = 0;    // 0..3
  std::uint8_t Ringed = 0;  // 0 or 1
  int Streak = 0;           // kills since the last death
  int BasePingMs = 0;
  int PingMs = 0;
};

}  // namespace vex::sim
