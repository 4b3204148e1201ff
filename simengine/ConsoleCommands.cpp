#include "simengine/ConsoleCommands.h"

#include <cctype>
#include <charconv>
#include <optional>
#include <string>

#include "simengine/EngineVariables.h"

namespace vex::sim {

namespace {

std::string_view Trim(std::string_view text) {
  while (!text.empty() && std::isspace(static_cast<unsigned char>(text.front()))) {
    text.remove_prefix(1);
  }
  while (!text.empty() && std::isspace(static_cast<unsigned char>(text.back()))) {
    text.remove_suffix(1);
  }
  return text;
}

bool SameWord(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) {
    return false;
  }
  for (std::size_t i = 0; i < a.size(); ++i) {
    if (std::tolower(static_cast<unsigned char>(a[i])) !=
        std::tolower(static_cast<unsigned char>(b[i]))) {
      return false;
    }
  }
  return true;
}

std::optional<long long> ReadInteger(std::string_view text) {
  long long value = 0;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (text.empty() || error != std::errc() || end != text.data() + text.size()) {
    return std::nullopt;
  }
  return value;
}

std::string TimeLeft(long long seconds) {
  const std::string secs = std::to_string(seconds % 60);
  return std::to_string(seconds / 60) + ":" + (secs.size() < 2 ? "0" + secs : secs);
}

void Status(const SimGame& game, Outbox& out) {
  const GameSummary summary = game.Summary();
  std::string line = "\"" + summary.ServerName + "\", " + summary.GameType + ", ";
  switch (summary.Phase) {
    case GamePhase::kIdle:
      line += "not started";
      break;
    case GamePhase::kPlaying:
      line += "level " + std::to_string(summary.Level + 1) + " " + summary.LevelName;
      if (summary.SecondsLeft >= 0) {
        line += " (" + TimeLeft(summary.SecondsLeft) + " left)";
      }
      break;
    case GamePhase::kIntermission:
      line += "intermission after level " + std::to_string(summary.Level + 1);
      break;
  }
  line +=
      ", " + std::to_string(summary.Players) + "/" + std::to_string(summary.Capacity) + " players.";
  out.GameLine(line);
}

// Only once the game port has dropped something, so that a quiet server answers in one line.
void Drops(const DropCounts& drops, Outbox& out) {
  if (drops.Malformed + drops.OverLong + drops.Unknown + drops.Spoofed + drops.RateLimited == 0) {
    return;
  }
  out.GameLine("Dropped datagrams: " + std::to_string(drops.Malformed) + " malformed, " +
               std::to_string(drops.OverLong) + " over-long, " + std::to_string(drops.Unknown) +
               " unknown, " + std::to_string(drops.Spoofed) + " spoofed, " +
               std::to_string(drops.RateLimited) + " over the rate limit.");
}

void Players(const SimGame& game, Outbox& out) {
  if (game.Players().empty()) {
    out.GameLine("No players.");
    return;
  }
  for (const SimPlayer& p : game.Players()) {
    out.GameLine(std::to_string(p.Id) + "  " + p.Name + "  kills " + std::to_string(p.Kills) +
                 "  score " + std::to_string(p.Score) + "  lives " + std::to_string(p.Lives) +
                 "  ping " + std::to_string(p.PingMs) + " ms");
  }
}

void Bots(std::string_view argument, SimGame& game, Outbox& out) {
  const std::optional<long long> count = ReadInteger(argument);
  const std::string usage = "Usage: bots N (0 to " + std::to_string(game.Capacity()) + ")";
  if (!count || *count < 0) {
    out.GameLine(usage);
    return;
  }
  const int granted =
      game.RequestBots(static_cast<int>(std::min<long long>(*count, game.Capacity())));
  std::string line = "Bots: " + std::to_string(granted);
  if (granted < *count) {
    line += " (the server holds " + std::to_string(game.Capacity()) + " players)";
  }
  out.GameLine(line + ".");
}

void Kick(std::string_view argument, SimGame& game, Outbox& out) {
  const std::optional<long long> id = ReadInteger(argument);
  if (!id) {
    out.GameLine("Usage: kick ID");
    return;
  }
  if (*id < INT32_MIN || *id > INT32_MAX || !game.Kick(static_cast<std::int32_t>(*id), out)) {
    out.GameLine("No player with id " + std::string(argument) + ".");
  }
}

void Map(std::string_view argument, SimGame& game, Outbox& out) {
  const std::optional<long long> index = ReadInteger(argument);
  if (!index) {
    out.GameLine("Usage: map N");
    return;
  }
  game.SelectLevel(*index, out);
}

}  // namespace

void RunConsoleCommand(std::string_view line, SimGame& game, const DropCounts& drops, Outbox& out) {
  line = Trim(line);
  if (line.empty()) {
    return;
  }
  const std::size_t blank = line.find_first_of(" \t");
  const std::string_view word = line.substr(0, blank);
  const std::string_view argument =
      blank == std::string_view::npos ? std::string_view() : Trim(line.substr(blank));

  if (SameWord(word, "help")) {
    out.GameLine(
        "Commands: help, status, players, bots N, say TEXT, kick ID, map N, nextmap, cvarlist");
  } else if (SameWord(word, "status")) {
    Status(game, out);
    Drops(drops, out);
  } else if (SameWord(word, "players")) {
    Players(game, out);
  } else if (SameWord(word, "bots")) {
    Bots(argument, game, out);
  } else if (SameWord(word, "say")) {
    out.GameLine(argument.empty() ? std::string("Usage: say TEXT")
                                  : "Server: " + std::string(argument));
  } else if (SameWord(word, "kick")) {
    Kick(argument, game, out);
  } else if (SameWord(word, "map")) {
    Map(argument, game, out);
  } else if (SameWord(word, "nextmap")) {
    game.NextLevel(out);
  } else if (SameWord(word, "cvarlist")) {
    for (const std::string& variable : EngineVariableLines(game.Options())) {
      out.GameLine(variable);
    }
  } else {
    out.GameLine("Unknown command: " + std::string(line));
  }
}

}  // namespace vex::sim
