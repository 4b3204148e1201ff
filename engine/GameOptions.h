#pragma once

#include <bit>
#include <cstddef>
#include <cstdint>

namespace vex {

static_assert(std::endian::native == std::endian::little,
              "the options block is a little-endian byte layout");

// The game options block handed to the engine with SetGameOptions: a packed little-endian
// record whose every offset is part of the engine's format.
#pragma pack(push, 1)
struct CGameOptions {
  char ServName[64];
  char JoinPass[16];
  char ContPass[16];
  char MastPass[16];
  std::int32_t GameType;
  std::int32_t Unnamed116;
  std::int32_t Unnamed120;
  std::int32_t JoinPassSet;
  std::int32_t Dedicated;
  std::int32_t LANConnection;
  std::uint16_t PortID;
  std::uint8_t Padding138[2];
  std::int32_t Bandwidth;
  std::uint8_t Unused144;
  std::uint8_t MaxTotalPlayers;
  std::uint8_t MaxPlayers[4];
  std::uint8_t FragLimit;
  std::uint8_t Padding151;
  std::uint16_t ScoreLimit;
  std::uint8_t Padding154[2];
  float TimeLimitSeconds;
  std::uint8_t RoundLimit;
  char Maps[20][64];
  std::uint8_t MapCount;
  std::uint8_t HunterRace;
  std::uint8_t PreyRace;
  std::uint8_t SurvivorRace;
  std::uint8_t SurvivorAttackerRace;
  std::uint8_t DefenderRace;
  std::uint8_t DefenderLives;
  std::uint8_t AttackerRace;
  std::uint8_t AttackerLives;
  std::uint8_t Padding1450[2];
  float DamScale;
  std::int32_t FriendFire;
  std::int32_t MaskLoss;
  std::uint8_t MedPacks;
  std::uint8_t RegSkulls;
  std::uint8_t Padding1466[2];
  std::int32_t LifeCycle;
  std::int32_t CharLock;
  std::int32_t DisWeapons[26];
  std::uint8_t CharLimits[16];
  std::int32_t ScoreClasses[32];
  std::uint8_t ScoreValues[32];
};
#pragma pack(pop)

inline constexpr std::size_t kGameOptionsSize = 1756;
inline constexpr int kMaxLevels = 20;
inline constexpr int kMaxScoreEntries = 32;

static_assert(sizeof(CGameOptions) == kGameOptionsSize);
static_assert(offsetof(CGameOptions, JoinPass) == 64);
static_assert(offsetof(CGameOptions, ContPass) == 80);
static_assert(offsetof(CGameOptions, MastPass) == 96);
static_assert(offsetof(CGameOptions, GameType) == 112);
static_assert(offsetof(CGameOptions, Unnamed116) == 116);
static_assert(offsetof(CGameOptions, Unnamed120) == 120);
static_assert(offsetof(CGameOptions, JoinPassSet) == 124);
static_assert(offsetof(CGameOptions, Dedicated) == 128);
static_assert(offsetof(CGameOptions, LANConnection) == 132);
static_assert(offsetof(CGameOptions, PortID) == 136);
static_assert(offsetof(CGameOptions, Bandwidth) == 140);
static_assert(offsetof(CGameOptions, MaxTotalPlayers) == 145);
static_assert(offsetof(CGameOptions, MaxPlayers) == 146);
static_assert(offsetof(CGameOptions, FragLimit) == 150);
static_assert(offsetof(CGameOptions, ScoreLimit) == 152);
static_assert(offsetof(CGameOptions, TimeLimitSeconds) == 156);
static_assert(offsetof(CGameOptions, RoundLimit) == 160);
static_assert(offsetof(CGameOptions, Maps) == 161);
static_assert(offsetof(CGameOptions, MapCount) == 1441);
static_assert(offsetof(CGameOptions, HunterRace) == 1442);
static_assert(offsetof(CGameOptions, PreyRace) == 1443);
static_assert(offsetof(CGameOptions, SurvivorRace) == 1444);
static_assert(offsetof(CGameOptions, SurvivorAttackerRace) == 1445);
static_assert(offsetof(CGameOptions, DefenderRace) == 1446);
static_assert(offsetof(CGameOptions, DefenderLives) == 1447);
static_assert(offsetof(CGameOptions, AttackerRace) == 1448);
static_assert(offsetof(CGameOptions, AttackerLives) == 1449);
static_assert(offsetof(CGameOptions, DamScale) == 1452);
static_assert(offsetof(CGameOptions, FriendFire) == 1456);
static_assert(offsetof(CGameOptions, MaskLoss) == 1460);
static_assert(offsetof(CGameOptions, MedPacks) == 1464);
static_assert(offsetof(CGameOptions, RegSkulls) == 1465);
static_assert(offsetof(CGameOptions, LifeCycle) == 1468);
static_assert(offsetof(CGameOptions, CharLock) == 1472);
static_assert(offsetof(CGameOptions, DisWeapons) == 1476);
static_assert(offsetof(CGameOptions, CharLimits) == 1580);
static_assert(offsetof(CGameOptions, ScoreClasses) == 1596);
static_assert(offsetof(CGameOptions, ScoreValues) == 1724);

}  // namespace vex
