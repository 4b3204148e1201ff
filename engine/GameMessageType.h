#pragma once

#include <cstdint>

namespace vex {

// The first byte of a game message, the byte record the game code sends through the engine's
// game-message callback. The fields after it are the game's text: numbers in decimal, a player's
// name as one line, a console line up to its zero byte.
enum class GameMessageType : std::uint8_t {
  PlayerAdded = 0,
  PlayerRemoved = 1,
  PlayerStats = 2,
  LevelUnloaded = 3,
  LevelStarted = 4,
  ConsoleLine = 5,
};

}  // namespace vex
