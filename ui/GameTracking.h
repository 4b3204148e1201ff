#pragma once

#include <atomic>
#include <cstdint>

#include "ui/Roster.h"

namespace vex {

// What the game's messages leave for the refresh. Written inside engine calls (under the session
// lock); the refresh reads it under the same lock, except the atomics, which it reads without.
struct GameTracking {
  CRoster Roster;
  bool RosterChanged = false;
  bool LevelStarted = false;
  std::int32_t CurrentLevel = -1;
  std::atomic<bool> LevelUnloaded{false};
  std::atomic<std::int32_t> ProtectedClientId{-1};
  std::atomic<std::uint32_t> TotalPlayers{0};

  // The session's initialise step; TotalPlayers counts for the whole window's life.
  void Reset() {
    RosterChanged = false;
    LevelStarted = false;
    CurrentLevel = -1;
    LevelUnloaded = false;
    ProtectedClientId = -1;
  }
};

}  // namespace vex
