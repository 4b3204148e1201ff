#include "config/ConfigReader.h"

#include <algorithm>
#include <cstdint>
#include <optional>
#include <string>
#include <utility>

#include "config/FixedText.h"
#include "platform/TextCut.h"

namespace vex {
namespace {

constexpr int kMaxConfigLevels = 20;
constexpr std::int32_t kDeathmatchPlayerLimit = 16;

class ConfigFileReader {
 public:
  explicit ConfigFileReader(CAttributeFile& file) : file_(file) {}

  std::vector<NarrowedValue> TakeNarrowed() { return std::move(narrowed_); }

  // A byte or 16-bit field keeps the low bits of the file's integer. A capped field is capped
  // before it is narrowed, so 256 players become the cap and not 0; a negative value whose low
  // bits exceed the cap is capped again.
  template <typename Field>
  void ReadNarrow(const char* tag, const std::string& key, Field& field,
                  std::optional<std::int32_t> cap = std::nullopt) {
    const std::int32_t read = file_.GetInt(tag, key.c_str(), field);
    if (!file_.Success()) {
      return;
    }
    Field kept = static_cast<Field>(cap ? std::min(read, *cap) : read);
    if (cap && kept > *cap) {
      kept = static_cast<Field>(*cap);
    }
    field = kept;
    if (kept != read) {
      narrowed_.push_back({tag, key, file_.SymbolLine(tag, key.c_str()), read, kept});
    }
  }

  void ReadInt(const char* tag, const std::string& key, std::int32_t& field) {
    field = file_.GetInt(tag, key.c_str(), field);
  }

  // Three bytes or fewer mean "no password"; a longer one keeps the bytes that fit the field.
  template <std::size_t N>
  void ReadPassword(const char* key, char (&field)[N]) {
    const std::string value = file_.GetString("Settings", key, std::string(FixedTextView(field)));
    const std::string_view text(value.c_str());
    WriteFixedBytes(field, text.size() <= 3 ? std::string_view("OFF") : text);
  }

  void ReadSettings(CServerConfig& config) {
    const char* tag = "Settings";
    std::string name =
        file_.GetString(tag, "ServName", std::string(FixedTextView(config.ServName)));
    name = std::string(
        platform::CutAtCharacter(std::string_view(name.c_str()), sizeof(config.ServName) - 1));
    std::replace(name.begin(), name.end(), '\\', '/');
    WriteFixedText(config.ServName, name);
    ReadNarrow(tag, "GameType", config.GameType);
    ReadPassword("JoinPass", config.JoinPass);
    ReadPassword("ContPass", config.ContPass);
    ReadPassword("MastPass", config.MastPass);
    ReadInt(tag, "Dedicated", config.Dedicated);
    ReadInt(tag, "LANConnection", config.LANConnection);
  }

  void ReadPreferences(CServerConfig& config) {
    const char* tag = "Preferences";
    config.DamScale = file_.GetFloat(tag, "DamScale", config.DamScale);
    ReadInt(tag, "FriendFire", config.FriendFire);
    ReadInt(tag, "MaskLoss", config.MaskLoss);
    ReadNarrow(tag, "MedPacks", config.MedPacks);
    ReadNarrow(tag, "RegSkulls", config.RegSkulls);
    ReadInt(tag, "LifeCycle", config.LifeCycle);
    ReadInt(tag, "CharLock", config.CharLock);
    ReadInt(tag, "PortID", config.PortID);
    ReadInt(tag, "Bandwidth", config.Bandwidth);
  }

  void ReadCharacters(CServerConfig& config) {
    int index = 0;
    for (const char* group : {"A", "P", "C", "M"}) {
      for (int n = 1; n <= 4; ++n) {
        ReadNarrow("Characters", std::string(group) + "CharLimit" + std::to_string(n),
                   config.CharLimits[index++]);
      }
    }
  }

  void ReadWeapons(CServerConfig& config) {
    for (int n = 0; n < 26; ++n) {
      ReadInt("Weapons", "DisWeapons" + std::to_string(n), config.DisWeapons[n]);
    }
  }

  // The numbering has no upper bound and ends at the first Class key that is missing or
  // mistyped; a missing score counts as 0.
  void ReadScoring(CServerConfig& config) {
    for (long long i = 0;; ++i) {
      const std::string number = std::to_string(i);
      const std::int32_t classId = file_.GetInt("Scoring", ("Class" + number).c_str(), 0);
      if (!file_.Success()) {
        return;
      }
      std::uint8_t score = 0;
      ReadNarrow("Scoring", "Score" + number, score);
      config.Scoring.Set(classId, score);
    }
  }

  void ReadLevels(const char* tag, LevelList& maps) {
    for (int n = 0; n < kMaxConfigLevels; ++n) {
      const std::string key = (n < 10 ? "Map0" : "Map") + std::to_string(n);
      if (!file_.Exists(tag, key.c_str())) {
        return;
      }
      maps.push_back(file_.GetString(tag, key.c_str(), std::string()));
    }
  }

  void ReadDeathmatch(const char* tag, CDeathmatchConfig& group,
                      std::optional<std::int32_t> playerCap) {
    ReadNarrow(tag, "MaxTotalPlayers", group.MaxTotalPlayers, playerCap);
    for (int n = 0; n < 4; ++n) {
      ReadNarrow(tag, "MaxPlayers" + std::to_string(n), group.MaxPlayers[n]);
    }
    ReadNarrow(tag, "FragLimit", group.FragLimit);
    ReadNarrow(tag, "ScoreLimit", group.ScoreLimit);
    ReadNarrow(tag, "TimeLimit", group.TimeLimit);
    ReadLevels(tag, group.Maps);
  }

  void ReadHunt(CHuntConfig& group) {
    const char* tag = "Hunt";
    ReadNarrow(tag, "MaxTotalPlayers", group.MaxTotalPlayers);
    ReadNarrow(tag, "FragLimit", group.FragLimit);
    ReadNarrow(tag, "TimeLimit", group.TimeLimit);
    ReadNarrow(tag, "HunterRace", group.HunterRace);
    ReadNarrow(tag, "PreyRace", group.PreyRace);
    ReadLevels(tag, group.Maps);
  }

  void ReadSurvivor(CSurvivorConfig& group) {
    const char* tag = "Survivor";
    ReadNarrow(tag, "MaxTotalPlayers", group.MaxTotalPlayers);
    ReadNarrow(tag, "ScoreLimit", group.ScoreLimit);
    ReadNarrow(tag, "RoundLimit", group.RoundLimit);
    ReadNarrow(tag, "TimeLimit", group.TimeLimit);
    ReadNarrow(tag, "SurvivorRace", group.SurvivorRace);
    ReadNarrow(tag, "AttackerRace", group.AttackerRace);
    ReadLevels(tag, group.Maps);
  }

  void ReadAttackDefend(const char* tag, CAttackDefendConfig& group) {
    ReadNarrow(tag, "MaxTotalPlayers", group.MaxTotalPlayers);
    ReadNarrow(tag, "RoundLimit", group.RoundLimit);
    ReadNarrow(tag, "TimeLimit", group.TimeLimit);
    ReadNarrow(tag, "DefenderRace", group.DefenderRace);
    ReadNarrow(tag, "DefenderLives", group.DefenderLives);
    ReadNarrow(tag, "AttackerRace", group.AttackerRace);
    ReadNarrow(tag, "AttackerLives", group.AttackerLives);
    ReadLevels(tag, group.Maps);
  }

 private:
  CAttributeFile& file_;
  std::vector<NarrowedValue> narrowed_;
};

}  // namespace

std::vector<NarrowedValue> ReadServerConfig(CServerConfig& config, CAttributeFile& file) {
  ConfigFileReader reader(file);
  reader.ReadSettings(config);
  reader.ReadPreferences(config);
  reader.ReadCharacters(config);
  reader.ReadWeapons(config);
  reader.ReadScoring(config);
  // Only free-for-all Deathmatch caps its players.
  reader.ReadDeathmatch("Deathmatch", config.Deathmatch, kDeathmatchPlayerLimit);
  reader.ReadDeathmatch("TeamDeathmatch", config.TeamDeathmatch, std::nullopt);
  reader.ReadHunt(config.Hunt);
  reader.ReadSurvivor(config.Survivor);
  reader.ReadAttackDefend("Overrun", config.Overrun);
  reader.ReadAttackDefend("Evac", config.Evac);
  return reader.TakeNarrowed();
}

}  // namespace vex
