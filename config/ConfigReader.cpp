#include "config/ConfigReader.h"

#include <algorithm>
#include <cstdint>
#include <string>

#include "config/FixedText.h"

namespace vex {
namespace {

constexpr int kMaxConfigLevels = 20;
constexpr std::uint8_t kDeathmatchPlayerLimit = 16;

// Narrowing keeps the low bits, as the file's integers land in byte and 16-bit fields.
void ReadByte(CAttributeFile& file, const char* tag, const std::string& key, std::uint8_t& field) {
  field = static_cast<std::uint8_t>(file.GetInt(tag, key.c_str(), field));
}

void ReadWord(CAttributeFile& file, const char* tag, const char* key, std::uint16_t& field) {
  field = static_cast<std::uint16_t>(file.GetInt(tag, key, field));
}

void ReadInt(CAttributeFile& file, const char* tag, const std::string& key, std::int32_t& field) {
  field = file.GetInt(tag, key.c_str(), field);
}

// Three characters or fewer mean "no password"; a longer one keeps what fits the field.
template <std::size_t N>
void ReadPassword(CAttributeFile& file, const char* key, char (&field)[N]) {
  const std::string value = file.GetString("Settings", key, std::string(FixedTextView(field)));
  const std::string_view text(value.c_str());
  WriteFixedText(field, text.size() <= 3 ? std::string_view("OFF") : text);
}

void ReadSettings(CServerConfig& config, CAttributeFile& file) {
  const char* tag = "Settings";
  std::string name = file.GetString(tag, "ServName", std::string(FixedTextView(config.ServName)));
  name = std::string(std::string_view(name.c_str()).substr(0, sizeof(config.ServName) - 1));
  std::replace(name.begin(), name.end(), '\\', '/');
  WriteFixedText(config.ServName, name);
  ReadByte(file, tag, "GameType", config.GameType);
  ReadPassword(file, "JoinPass", config.JoinPass);
  ReadPassword(file, "ContPass", config.ContPass);
  ReadPassword(file, "MastPass", config.MastPass);
  ReadInt(file, tag, "Dedicated", config.Dedicated);
  ReadInt(file, tag, "LANConnection", config.LANConnection);
}

void ReadPreferences(CServerConfig& config, CAttributeFile& file) {
  const char* tag = "Preferences";
  config.DamScale = file.GetFloat(tag, "DamScale", config.DamScale);
  ReadInt(file, tag, "FriendFire", config.FriendFire);
  ReadInt(file, tag, "MaskLoss", config.MaskLoss);
  ReadByte(file, tag, "MedPacks", config.MedPacks);
  ReadByte(file, tag, "RegSkulls", config.RegSkulls);
  ReadInt(file, tag, "LifeCycle", config.LifeCycle);
  ReadInt(file, tag, "CharLock", config.CharLock);
  ReadInt(file, tag, "PortID", config.PortID);
  ReadInt(file, tag, "Bandwidth", config.Bandwidth);
}

void ReadCharacters(CServerConfig& config, CAttributeFile& file) {
  int index = 0;
  for (const char* group : {"A", "P", "C", "M"}) {
    for (int n = 1; n <= 4; ++n) {
      ReadByte(file, "Characters", std::string(group) + "CharLimit" + std::to_string(n),
               config.CharLimits[index++]);
    }
  }
}

void ReadWeapons(CServerConfig& config, CAttributeFile& file) {
  for (int n = 0; n < 26; ++n) {
    ReadInt(file, "Weapons", "DisWeapons" + std::to_string(n), config.DisWeapons[n]);
  }
}

// The numbering has no upper bound and ends at the first Class key that is missing or mistyped.
void ReadScoring(CServerConfig& config, CAttributeFile& file) {
  for (long long i = 0;; ++i) {
    const std::string number = std::to_string(i);
    const std::int32_t classId = file.GetInt("Scoring", ("Class" + number).c_str(), 0);
    if (!file.Success()) {
      return;
    }
    const std::int32_t score = file.GetInt("Scoring", ("Score" + number).c_str(), 0);
    config.Scoring.Set(classId, static_cast<std::uint8_t>(score));
  }
}

void ReadLevels(CAttributeFile& file, const char* tag, LevelList& maps) {
  for (int n = 0; n < kMaxConfigLevels; ++n) {
    const std::string key = (n < 10 ? "Map0" : "Map") + std::to_string(n);
    if (!file.Exists(tag, key.c_str())) {
      return;
    }
    maps.push_back(file.GetString(tag, key.c_str(), std::string()));
  }
}

void ReadDeathmatch(CAttributeFile& file, const char* tag, CDeathmatchConfig& group) {
  ReadByte(file, tag, "MaxTotalPlayers", group.MaxTotalPlayers);
  for (int n = 0; n < 4; ++n) {
    ReadByte(file, tag, "MaxPlayers" + std::to_string(n), group.MaxPlayers[n]);
  }
  ReadByte(file, tag, "FragLimit", group.FragLimit);
  ReadWord(file, tag, "ScoreLimit", group.ScoreLimit);
  ReadByte(file, tag, "TimeLimit", group.TimeLimit);
}

void ReadHunt(CAttributeFile& file, CHuntConfig& group) {
  const char* tag = "Hunt";
  ReadByte(file, tag, "MaxTotalPlayers", group.MaxTotalPlayers);
  ReadByte(file, tag, "FragLimit", group.FragLimit);
  ReadByte(file, tag, "TimeLimit", group.TimeLimit);
  ReadByte(file, tag, "HunterRace", group.HunterRace);
  ReadByte(file, tag, "PreyRace", group.PreyRace);
  ReadLevels(file, tag, group.Maps);
}

void ReadSurvivor(CAttributeFile& file, CSurvivorConfig& group) {
  const char* tag = "Survivor";
  ReadByte(file, tag, "MaxTotalPlayers", group.MaxTotalPlayers);
  ReadWord(file, tag, "ScoreLimit", group.ScoreLimit);
  ReadByte(file, tag, "RoundLimit", group.RoundLimit);
  ReadByte(file, tag, "TimeLimit", group.TimeLimit);
  ReadByte(file, tag, "SurvivorRace", group.SurvivorRace);
  ReadByte(file, tag, "AttackerRace", group.AttackerRace);
  ReadLevels(file, tag, group.Maps);
}

void ReadAttackDefend(CAttributeFile& file, const char* tag, CAttackDefendConfig& group) {
  ReadByte(file, tag, "MaxTotalPlayers", group.MaxTotalPlayers);
  ReadByte(file, tag, "RoundLimit", group.RoundLimit);
  ReadByte(file, tag, "TimeLimit", group.TimeLimit);
  ReadByte(file, tag, "DefenderRace", group.DefenderRace);
  ReadByte(file, tag, "DefenderLives", group.DefenderLives);
  ReadByte(file, tag, "AttackerRace", group.AttackerRace);
  ReadByte(file, tag, "AttackerLives", group.AttackerLives);
  ReadLevels(file, tag, group.Maps);
}

}  // namespace

void ReadServerConfig(CServerConfig& config, CAttributeFile& file) {
  ReadSettings(config, file);
  ReadPreferences(config, file);
  ReadCharacters(config, file);
  ReadWeapons(config, file);
  ReadScoring(config, file);

  ReadDeathmatch(file, "Deathmatch", config.Deathmatch);
  // Only free-for-all Deathmatch caps its players; the narrowed byte is capped, so no value of
  // the file can exceed the cap.
  config.Deathmatch.MaxTotalPlayers =
      std::min(config.Deathmatch.MaxTotalPlayers, kDeathmatchPlayerLimit);
  ReadLevels(file, "Deathmatch", config.Deathmatch.Maps);
  ReadDeathmatch(file, "TeamDeathmatch", config.TeamDeathmatch);
  ReadLevels(file, "TeamDeathmatch", config.TeamDeathmatch.Maps);
  ReadHunt(file, config.Hunt);
  ReadSurvivor(file, config.Survivor);
  ReadAttackDefend(file, "Overrun", config.Overrun);
  ReadAttackDefend(file, "Evac", config.Evac);
}

}  // namespace vex
