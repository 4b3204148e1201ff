#pragma once

#include <array>

#include "res/Resource.h"

namespace vex {

struct GameTypeInfo {
  int Id;
  const char* Tag;  // the configuration file's section for the type
  int DisplayStringId;
};

inline constexpr std::array<GameTypeInfo, 6> kGameTypes{{
    {1, "Deathmatch", res::IDS_GAME_TYPE_FIRST + 0},
    {2, "TeamDeathmatch", res::IDS_GAME_TYPE_FIRST + 1},
    {3, "Hunt", res::IDS_GAME_TYPE_FIRST + 2},
    {4, "Survivor", res::IDS_GAME_TYPE_FIRST + 3},
    {5, "Overrun", res::IDS_GAME_TYPE_FIRST + 4},
    {6, "Evac", res::IDS_GAME_TYPE_FIRST + 5},
}};

// Null for anything but the six hostable ids.
inline const GameTypeInfo* FindGameType(int id) {
  for (const GameTypeInfo& type : kGameTypes) {
    if (type.Id == id) {
      return &type;
    }
  }
  return nullptr;
}

}  // namespace vex
