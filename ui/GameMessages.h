#pragma once

#include <cstdint>

#include "session/ConsoleLineQueue.h"
#include "ui/GameTracking.h"

namespace vex {

// Message types that the game code sends through the engine's game-message callback.
enum class GameMessageType : std::uint8_t {
  PlayerAdded = 0,
  PlayerRemoved = 1,
  PlayerStats = 2,
  LevelUnloaded = 3,
  LevelStarted = 4,
  GameConsoleLine = 5,
};

// Applies one game message to the tracking state. A length of 0 means the message runs up to its
// first zero byte; a null message or a negative length is ignored. Takes no lock: the caller is
// inside an engine call that holds the session lock.
void HandleGameMessage(GameTracking& tracking, ConsoleLineQueue& pending, const char* data,
                       int length, std::int64_t now);

}  // namespace vex
