#include "simengine/EngineVariables.h"

#include <algorithm>
#include <cstring>
#include <string_view>
#include <type_traits>

namespace vex::sim {

namespace {

class Listing {
 public:
  void Add(std::string_view name, const std::string& value, std::string_view meaning) {
    std::string line(name);
    line.resize(std::max<std::size_t>(line.size() + 1, 24), ' ');
    line += value;
    line.resize(std::max<std::size_t>(line.size() + 1, 36), ' ');
    line += "- ";
    line += meaning;
    lines_.push_back(std::move(line));
  }
  // A byte-sized field counts, rather than standing for a character.
  template <typename T>
  requires std::is_arithmetic_v<T>
  void Add(std::string_view name, T value, std::string_view meaning) {
    Add(name, std::to_string(+value), meaning);
  }
  template <typename T, std::size_t N>
  void AddEach(std::string_view name, const T (&values)[N], std::string_view meaning) {
    for (std::size_t i = 0; i < N; ++i) {
      Add(std::string(name) + "[" + std::to_string(i) + "]", values[i], meaning);
    }
  }
  std::vector<std::string> Take() { return std::move(lines_); }

 private:
  std::vector<std::string> lines_;
};

template <std::size_t N>
std::string Text(const char (&field)[N]) {
  return "\"" + std::string(field, strnlen(field, N)) + "\"";
}

template <std::size_t N>
std::string IsSet(const char (&field)[N]) {
  return strnlen(field, N) > 0 ? "set" : "none";
}

}  // namespace

std::vector<std::string> EngineVariableLines(const CGameOptions& block) {
  Listing list;
  list.Add("ServName", Text(block.ServName), "the name that browsers list");
  list.Add("JoinPass", IsSet(block.JoinPass), "password players join with");
  list.Add("ContPass", IsSet(block.ContPass), "password of the game's own control");
  list.Add("MastPass", IsSet(block.MastPass), "password of the game's master control");
  list.Add("GameType", block.GameType, "rules of play (0 deathmatch ...)");
  list.Add("JoinPassSet", block.JoinPassSet, "whether joining asks a password");
  list.Add("Dedicated", block.Dedicated, "whether no one plays on the host");
  list.Add("LANConnection", block.LANConnection, "local network speeds assumed");
  list.Add("PortID", block.PortID, "UDP port the game is hosted on");
  list.Add("Bandwidth", block.Bandwidth, "bytes per second for each client");
  list.Add("MaxTotalPlayers", block.MaxTotalPlayers, "seats on the server");
  list.AddEach("MaxPlayers", block.MaxPlayers, "seats of one side");
  list.Add("FragLimit", block.FragLimit, "frags that end a level (0 none)");
  list.Add("ScoreLimit", block.ScoreLimit, "score that ends a level (0 none)");
  list.Add("TimeLimitSeconds", block.TimeLimitSeconds, "length of a level (0 none)");
  list.Add("RoundLimit", block.RoundLimit, "rounds of a level (0 none)");
  list.Add("MapCount", block.MapCount, "levels in the rotation");
  for (std::size_t i = 0; i < std::size(block.Maps); ++i) {
    list.Add("Maps[" + std::to_string(i) + "]", Text(block.Maps[i]), "level of the rotation");
  }
  list.Add("HunterRace", block.HunterRace, "character of the hunters");
  list.Add("PreyRace", block.PreyRace, "character of the prey");
  list.Add("SurvivorRace", block.SurvivorRace, "character of the survivors");
  list.Add("SurvivorAttackerRace", block.SurvivorAttackerRace,
           "character of those hunting survivors");
  list.Add("DefenderRace", block.DefenderRace, "character of the defenders");
  list.Add("DefenderLives", block.DefenderLives, "lives of a defender");
  list.Add("AttackerRace", block.AttackerRace, "character of the attackers");
  list.Add("AttackerLives", block.AttackerLives, "lives of an attacker");
  list.Add("DamScale", block.DamScale, "factor on all damage");
  list.Add("FriendFire", block.FriendFire, "whether team mates hurt each other");
  list.Add("MaskLoss", block.MaskLoss, "whether a mask can be lost");
  list.Add("MedPacks", block.MedPacks, "whether medical packs lie about");
  list.Add("RegSkulls", block.RegSkulls, "whether skulls regenerate");
  list.Add("LifeCycle", block.LifeCycle, "whether the life cycle runs");
  list.Add("CharLock", block.CharLock, "whether characters are locked");
  list.AddEach("DisWeapons", block.DisWeapons, "weapon disabled (1) or allowed (0)");
  list.AddEach("CharLimits", block.CharLimits, "most players of one character");
  list.AddEach("ScoreClasses", block.ScoreClasses, "event that this scoring entry counts");
  list.AddEach("ScoreValues", block.ScoreValues, "points for that event");
  return list.Take();
}

}  // namespace vex::sim
