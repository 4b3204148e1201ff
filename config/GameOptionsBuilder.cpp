#include "config/GameOptionsBuilder.h"

#include <algorithm>
#include <cstring>
#include <string_view>

#include "config/FixedText.h"

namespace vex {
namespace {

constexpr std::string_view kDefaultServerName = "Orvo-VexMod";
constexpr std::string_view kNoPassword = "OFF";

template <std::size_t N>
void WriteTextOr(char (&field)[N], std::string_view text, std::string_view fallback) {
  WriteFixedText(field, text.empty() ? fallback : text);
}

template <std::size_t N>
void WritePasswordOr(char (&field)[N], std::string_view password) {
  WriteFixedBytes(field, password.empty() ? kNoPassword : password);
}

float MinutesToSeconds(std::uint8_t minutes) {
  return static_cast<float>(minutes) * 60.0f;
}

void WriteLevels(const LevelList& maps, CGameOptions& block) {
  block.MapCount = 0;
  for (const std::string& name : maps) {
    if (block.MapCount >= kMaxLevels) {
      break;
    }
    if (name.empty()) {
      continue;
    }
    WriteFixedText(block.Maps[block.MapCount], name);
    ++block.MapCount;
  }
}

void WriteScoring(const CScoringTable& scoring, CGameOptions& block) {
  int k = 0;
  for (const ScoreEntry& entry : scoring.InBucketOrder()) {
    if (k == kMaxScoreEntries) {
      break;
    }
    block.ScoreClasses[k] = entry.ClassId;
    block.ScoreValues[k] = entry.Score;
    ++k;
  }
}

void WriteDeathmatch(const CDeathmatchConfig& group, CGameOptions& block) {
  block.MaxTotalPlayers = group.MaxTotalPlayers;
  std::copy(std::begin(group.MaxPlayers), std::end(group.MaxPlayers), block.MaxPlayers);
  block.FragLimit = group.FragLimit;
  block.ScoreLimit = group.ScoreLimit;
  block.TimeLimitSeconds = MinutesToSeconds(group.TimeLimit);
  WriteLevels(group.Maps, block);
}

void WriteHunt(const CHuntConfig& group, CGameOptions& block) {
  block.MaxTotalPlayers = group.MaxTotalPlayers;
  block.HunterRace = group.HunterRace;
  block.PreyRace = group.PreyRace;
  block.FragLimit = group.FragLimit;
  block.TimeLimitSeconds = MinutesToSeconds(group.TimeLimit);
  WriteLevels(group.Maps, block);
}

void WriteSurvivor(const CSurvivorConfig& group, CGameOptions& block) {
  block.MaxTotalPlayers = group.MaxTotalPlayers;
  block.SurvivorRace = group.SurvivorRace;
  block.SurvivorAttackerRace = group.AttackerRace;
  block.ScoreLimit = group.ScoreLimit;
  block.RoundLimit = group.RoundLimit;
  block.TimeLimitSeconds = MinutesToSeconds(group.TimeLimit);
  WriteLevels(group.Maps, block);
}

void WriteAttackDefend(const CAttackDefendConfig& group, CGameOptions& block) {
  block.MaxTotalPlayers = group.MaxTotalPlayers;
  block.RoundLimit = group.RoundLimit;
  block.TimeLimitSeconds = MinutesToSeconds(group.TimeLimit);
  block.DefenderRace = group.DefenderRace;
  block.DefenderLives = group.DefenderLives;
  block.AttackerRace = group.AttackerRace;
  block.AttackerLives = group.AttackerLives;
  WriteLevels(group.Maps, block);
}

bool WriteSelectedGroup(const CServerConfig& config, CGameOptions& block) {
  switch (config.GameType) {
    case 1:
      WriteDeathmatch(config.Deathmatch, block);
      return true;
    case 2:
      WriteDeathmatch(config.TeamDeathmatch, block);
      return true;
    case 3:
      WriteHunt(config.Hunt, block);
      return true;
    case 4:
      WriteSurvivor(config.Survivor, block);
      return true;
    case 5:
      WriteAttackDefend(config.Overrun, block);
      return true;
    case 6:
      WriteAttackDefend(config.Evac, block);
      return true;
    default:
      return false;
  }
}

}  // namespace

CGameOptions PresetGameOptions() {
  CGameOptions block;
  std::memset(&block, 0, sizeof(block));
  WriteFixedText(block.ServName, kDefaultServerName);
  WriteFixedText(block.JoinPass, kNoPassword);
  WriteFixedText(block.ContPass, kNoPassword);
  WriteFixedText(block.MastPass, kNoPassword);
  block.PortID = 27888;
  block.Bandwidth = 1000000;
  block.DamScale = 1.0f;
  block.FriendFire = 1;
  block.MaskLoss = 1;
  block.MedPacks = 10;
  block.RegSkulls = 9;
  block.CharLock = 1;
  std::fill(std::begin(block.DisWeapons), std::end(block.DisWeapons), 1);
  return block;
}

void TranslateConfig(const CServerConfig& config, CGameOptions& block) {
  if (!WriteSelectedGroup(config, block)) {
    return;
  }
  block.GameType = config.GameType;
  block.Unnamed116 = 2;
  WriteTextOr(block.ServName, FixedTextView(config.ServName), kDefaultServerName);
  WritePasswordOr(block.JoinPass, FixedTextView(config.JoinPass));
  WritePasswordOr(block.ContPass, FixedTextView(config.ContPass));
  WritePasswordOr(block.MastPass, FixedTextView(config.MastPass));
  block.PortID = static_cast<std::uint16_t>(config.PortID);
  block.Bandwidth = config.Bandwidth;
  block.JoinPassSet = FixedTextView(config.JoinPass).size() > 3 ? 1 : 0;
  block.Dedicated = config.Dedicated;
  block.LANConnection = config.LANConnection;
  block.DamScale = config.DamScale;
  block.FriendFire = config.FriendFire;
  block.MaskLoss = config.MaskLoss;
  block.MedPacks = config.MedPacks;
  block.RegSkulls = config.RegSkulls;
  block.LifeCycle = config.LifeCycle;
  block.CharLock = config.CharLock;
  std::copy(std::begin(config.DisWeapons), std::end(config.DisWeapons), block.DisWeapons);
  WriteScoring(config.Scoring, block);
  std::copy(std::begin(config.CharLimits), std::end(config.CharLimits), block.CharLimits);
}

}  // namespace vex
