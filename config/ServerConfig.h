#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "config/ScoringTable.h"

namespace vex {

using LevelList = std::vector<std::string>;

struct CDeathmatchConfig {
  std::uint8_t MaxTotalPlayers = 8;
  std::uint8_t MaxPlayers[4] = {8, 8, 8, 8};
  std::uint8_t FragLimit = 0;
  std::uint16_t ScoreLimit = 0;
  std::uint8_t TimeLimit = 0;  // minutes
  LevelList Maps;
};

struct CHuntConfig {
  std::uint8_t MaxTotalPlayers = 8;
  std::uint8_t FragLimit = 0;
  std::uint8_t TimeLimit = 0;
  std::uint8_t HunterRace = 2;
  std::uint8_t PreyRace = 1;
  LevelList Maps;
};

struct CSurvivorConfig {
  std::uint8_t MaxTotalPlayers = 8;
  std::uint16_t ScoreLimit = 1500;
  std::uint8_t RoundLimit = 0;
  std::uint8_t TimeLimit = 0;
  std::uint8_t SurvivorRace = 1;
  std::uint8_t AttackerRace = 0;
  LevelList Maps;
};

struct CAttackDefendConfig {
  explicit CAttackDefendConfig(std::uint8_t defenderRace) : DefenderRace(defenderRace) {}

  std::uint8_t MaxTotalPlayers = 8;
  std::uint8_t RoundLimit = 0;
  std::uint8_t TimeLimit = 0;
  std::uint8_t DefenderRace;
  std::uint8_t DefenderLives = 1;
  std::uint8_t AttackerRace = 0;
  std::uint8_t AttackerLives = 2;
  LevelList Maps;
};

// Everything the server takes from a configuration file, with the defaults that stand when a key
// is missing or mistyped. Text fields always hold their terminating zero.
class CServerConfig {
 public:
  CServerConfig();
  CServerConfig(const CServerConfig&) = delete;
  CServerConfig& operator=(const CServerConfig&) = delete;

  char ServName[64];
  char JoinPass[16];
  char ContPass[16];
  char MastPass[16];
  std::uint8_t GameType = 1;
  std::int32_t PortID = 27888;
  std::int32_t Bandwidth = 1000000;
  std::int32_t Dedicated = 0;
  std::int32_t LANConnection = 0;
  float DamScale = 1.0f;
  std::int32_t FriendFire = 1;
  std::int32_t MaskLoss = 1;
  std::uint8_t MedPacks = 10;
  std::uint8_t RegSkulls = 9;
  std::int32_t LifeCycle = 0;
  std::int32_t CharLock = 1;
  std::int32_t DisWeapons[26];
  std::uint8_t CharLimits[16];  // ACharLimit1-4, PCharLimit1-4, CCharLimit1-4, MCharLimit1-4
  CScoringTable Scoring;
  CDeathmatchConfig Deathmatch;
  CDeathmatchConfig TeamDeathmatch;
  CHuntConfig Hunt;
  CSurvivorConfig Survivor;
  CAttackDefendConfig Overrun{3};
  CAttackDefendConfig Evac{1};
};

}  // namespace vex
