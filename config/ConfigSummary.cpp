#include "config/ConfigSummary.h"

#include <algorithm>
#include <string_view>

#include "config/FixedText.h"

namespace vex {
namespace {

class SummaryText {
 public:
  void Line(std::string_view label, std::string_view value) {
    text_ += label;
    text_ += ": ";
    text_ += value;
    text_ += '\n';
  }
  void Line(std::string_view label, long long value) { Line(label, std::to_string(value)); }
  std::string Take() { return std::move(text_); }

 private:
  std::string text_;
};

template <std::size_t N>
std::string_view PasswordState(const char (&field)[N]) {
  return FixedTextView(field) == "OFF" ? "not set" : "set";
}

void AddLimits(const CGameOptions& block, SummaryText& summary) {
  const long long timeLimitMinutes = static_cast<long long>(block.TimeLimitSeconds / 60.0f);
  switch (block.GameType) {
    case 1:
    case 2:
      for (int team = 0; team < 4; ++team) {
        summary.Line("Max players " + std::to_string(team), block.MaxPlayers[team]);
      }
      summary.Line("Frag limit", block.FragLimit);
      summary.Line("Score limit", block.ScoreLimit);
      break;
    case 3:
      summary.Line("Frag limit", block.FragLimit);
      summary.Line("Hunter race", block.HunterRace);
      summary.Line("Prey race", block.PreyRace);
      break;
    case 4:
      summary.Line("Score limit", block.ScoreLimit);
      summary.Line("Round limit", block.RoundLimit);
      summary.Line("Survivor race", block.SurvivorRace);
      summary.Line("Attacker race", block.SurvivorAttackerRace);
      break;
    default:
      summary.Line("Round limit", block.RoundLimit);
      summary.Line("Defender race", block.DefenderRace);
      summary.Line("Defender lives", block.DefenderLives);
      summary.Line("Attacker race", block.AttackerRace);
      summary.Line("Attacker lives", block.AttackerLives);
      break;
  }
  summary.Line("Time limit (minutes)", timeLimitMinutes);
}

}  // namespace

std::string ConfigSummary(const PreparedGame& game, const StringLookup& text) {
  const CGameOptions& block = game.Block;
  SummaryText summary;
  // The program keeps Windows-style paths; the operator of this system writes them with '/'.
  std::string shownPath = game.ConfigPath;
  std::replace(shownPath.begin(), shownPath.end(), '\\', '/');
  summary.Line("Configuration file", shownPath);
  summary.Line("Server name", FixedTextView(block.ServName));
  summary.Line("Game type", text ? text(game.GameTypeStringId) : std::to_string(block.GameType));
  summary.Line("Port", block.PortID);
  summary.Line("Max players", block.MaxTotalPlayers);
  summary.Line("Join password", PasswordState(block.JoinPass));
  summary.Line("Cont password", PasswordState(block.ContPass));
  summary.Line("Master password", PasswordState(block.MastPass));
  AddLimits(block, summary);
  summary.Line("Levels", static_cast<long long>(game.Levels.size()));
  for (std::size_t i = 0; i < game.Levels.size(); ++i) {
    summary.Line("  " + std::to_string(i), game.Levels[i]);
  }
  return summary.Take();
}

}  // namespace vex
