#pragma once

#include <cstdint>

namespace vex {

// One player as the status window shows it; copied by value into each refresh's snapshot.
struct CPlayerInfo {
  std::int32_t ClientId = -1;
  char Name[32] = {};
  std::int32_t Kills = 0;
  std::int32_t Score = 0;
  std::int32_t Lives = 0;
  std::int8_t Kind = 0;
  std::uint8_t Ringed = 0;
  std::int64_t JoinTime = 0;
  // From an optional mark of the join message; engines that do not send it leave every player
  // a person.
  bool Bot = false;
};

}  // namespace vex
