#include <algorithm>
#include <array>
#include <charconv>
#include <cstdint>
#include <cstring>
#include <optional>
#include <string>
#include <vector>

#include "framework/StringTable.h"
#include "res/Resource.h"
#include "session/LevelControls.h"
#include "ui/FormatSpan.h"
#include "ui/ServerDlg.h"
#include "ui/TerminalCommand.h"
#include "ui/TextTable.h"

namespace vex {

namespace {

std::optional<std::int64_t> ParseInteger(std::string_view text) {
  while (!text.empty() && text.front() == ' ') {
    text.remove_prefix(1);
  }
  while (!text.empty() && text.back() == ' ') {
    text.remove_suffix(1);
  }
  std::int64_t value = 0;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (text.empty() || error != std::errc{} || end != text.data() + text.size()) {
    return std::nullopt;
  }
  return value;
}

std::string NameOf(const CPlayerInfo& player) {
  return std::string(player.Name, strnlen(player.Name, sizeof player.Name));
}

constexpr const char* kNotAnswering =
    "The engine is not answering; the action was not carried out.\n";

}  // namespace

std::string CServerDlg::RunServerCommand(std::string_view line, const CommandOrigin& origin) {
  const std::size_t blank = line.find(' ');
  const std::string_view name = line.substr(0, blank);
  std::string_view argument =
      blank == std::string_view::npos ? std::string_view{} : line.substr(blank + 1);
  // Tab completion leaves a blank after the word it completed.
  while (!argument.empty() && argument.back() == ' ') {
    argument.remove_suffix(1);
  }
  for (const TerminalCommand& command : CServerDlg::TerminalCommands()) {
    if (command.Name == name) {
      return command.Run(*this, origin, argument);
    }
  }
  std::string message = "Unknown command ";
  message += name;
  message += "; /help lists the commands.\n";
  return message;
}

std::span<const TerminalCommand> CServerDlg::TerminalCommands() {
  static constexpr std::array<TerminalCommand, 8> kCommands{{
      {"/players", "", "list the players with their ids",
       [](CServerDlg& window, const CommandOrigin&, std::string_view) {
         return window.PlayersText();
       }},
      {"/levels", "", "list the levels; * marks the current one",
       [](CServerDlg& window, const CommandOrigin&, std::string_view) {
         return window.LevelsText();
       }},
      {"/status", "", "show the server's status",
       [](CServerDlg& window, const CommandOrigin&, std::string_view) {
         return window.StatusText();
       }},
      {"/boot", "ID", "boot the player with that id (or name)",
       [](CServerDlg& window, const CommandOrigin& origin, std::string_view id) {
         return window.BootById(id, origin);
       }},
      {"/next", "", "go to the next level",
       [](CServerDlg& window, const CommandOrigin&, std::string_view) {
         return window.NextLevel();
       }},
      {"/level", "N", "go to the level in row N of /levels (or of that name)",
       [](CServerDlg& window, const CommandOrigin&, std::string_view row) {
         return window.SelectLevelByRow(row);
       }},
      {"/stop", "", "stop the server",
       [](CServerDlg& window, const CommandOrigin& origin, std::string_view) {
         return window.StopOnRequest(origin);
       }},
      {"/help", "", "show this list",
       [](CServerDlg&, const CommandOrigin&, std::string_view) { return TerminalHelpText(); }},
  }};
  return kCommands;
}

std::string TerminalHelpText() {
  std::vector<std::vector<std::string>> rows;
  for (const TerminalCommand& command : CServerDlg::TerminalCommands()) {
    std::string usage(command.Name);
    if (!command.Arguments.empty()) {
      usage += ' ';
      usage += command.Arguments;
    }
    rows.push_back({"  " + usage, std::string(command.Help)});
  }
  return "Commands:\n" + FormatTextTable(rows) + "Any other line is sent to the game's console.\n";
}

std::string CServerDlg::PlayersText() const {
  std::vector<std::vector<std::string>> rows{{"ID"}};
  for (int heading : {res::IDS_COLUMN_NAME, res::IDS_COLUMN_PING, res::IDS_COLUMN_KILLS,
                      res::IDS_COLUMN_SCORE, res::IDS_COLUMN_LIVES, res::IDS_COLUMN_TIME}) {
    rows[0].emplace_back(fw::LoadStringOrEmpty(heading));
  }
  for (std::size_t row = 0; row < display_.Players.size(); ++row) {
    const CPlayerInfo& player = display_.Players[row];
    const ShownPlayerRow shown =
        row < display_.ShownRows.size() ? display_.ShownRows[row] : ShownPlayerRow{};
    rows.push_back({std::to_string(player.ClientId), NameOf(player),
                    shown.Ping ? std::to_string(*shown.Ping) : "", std::to_string(player.Kills),
                    std::to_string(player.Score), std::to_string(player.Lives),
                    shown.Span ? FormatSpan(*shown.Span) : ""});
  }
  std::string text = FormatTextTable(rows);
  if (display_.Players.empty()) {
    text += "No players.\n";
  }
  return text;
}

std::string CServerDlg::LevelsText() const {
  std::vector<std::vector<std::string>> rows{
      {"N", "", std::string(fw::LoadStringOrEmpty(res::IDS_COLUMN_WORLD))}};
  for (std::size_t row = 0; row < display_.LevelNames.size(); ++row) {
    // Numbered from 1, as the engine's "level 2 of 4" and the window count.
    rows.push_back({std::to_string(row + 1),
                    static_cast<int>(row) == display_.HighlightedLevel ? "*" : "",
                    display_.LevelNames[row]});
  }
  return FormatTextTable(rows);
}

std::string CServerDlg::StatusText() const {
  return FormatTextTable({
      {"Server Name:", display_.ServerNameText},
      {"Game Type:", display_.GameTypeText},
      {"Running Time:", display_.RunningTimeText},
      {"Time in Level:", display_.LevelTimeText},
      {"Current Players:", display_.PlayersText},
      {"Peak Players:", std::to_string(display_.PeakPlayers)},
      {"Total Players:", std::to_string(tracking_.TotalPlayers.load())},
      {"Average Ping:", std::to_string(display_.AveragePing)},
      {"Server:", session_.Engine() != nullptr ? "running" : "stopped"},
  });
}

// An id, or a player's name as Tab completes it. A remote client, which does not see the console,
// is answered with what the engine printed for the kick when it printed it at once.
std::string CServerDlg::BootById(std::string_view argument, const CommandOrigin& origin) {
  const auto clientId = ParseInteger(argument);
  if (!clientId && argument.empty()) {
    return "Usage: /boot ID (the ID column of /players) or /boot NAME\n";
  }
  std::vector<const CPlayerInfo*> matches;
  for (const CPlayerInfo& player : display_.Players) {
    if (clientId ? player.ClientId == *clientId : NameOf(player) == argument) {
      matches.push_back(&player);
    }
  }
  if (matches.empty()) {
    return clientId ? "No player has that id.\n" : "No player has that name.\n";
  }
  if (matches.size() > 1) {
    // Players may share a name; booting the first of them may hit the wrong one.
    std::vector<std::vector<std::string>> rows{{"ID", "Name"}};
    for (const CPlayerInfo* player : matches) {
      rows.push_back({std::to_string(player->ClientId), NameOf(*player)});
    }
    return "Several players have that name; boot one by its ID:\n" + FormatTextTable(rows);
  }
  const CPlayerInfo& player = *matches.front();
  if (player.ClientId == tracking_.ProtectedClientId.load()) {
    return NameOf(player) + " cannot be booted.\n";
  }
  std::string output;
  if (!KickPlayer(player.ClientId, output)) {
    return session_.Engine() == nullptr ? "The server is not running.\n" : kNotAnswering;
  }
  return origin.Remote() && !output.empty() ? output : "Booted " + NameOf(player) + ".\n";
}

// A row, or a level's name as Tab completes it.
std::string CServerDlg::SelectLevelByRow(std::string_view argument) {
  auto row = ParseInteger(argument);
  if (row) {
    --*row;  // /levels numbers its rows from 1
  }
  const auto& names = display_.LevelNames;
  for (std::size_t item = 0; !row && item < names.size(); ++item) {
    if (!argument.empty() && names[item] == argument) {
      row = static_cast<std::int64_t>(item);
    }
  }
  if (!row) {
    return "Usage: /level N (a row of /levels) or /level NAME\n";
  }
  if (*row < 0 || *row >= static_cast<std::int64_t>(names.size())) {
    return names.empty() ? "There are no levels.\n"
                         : "There is no level " + std::to_string(*row + 1) +
                               "; /levels lists 1 to " + std::to_string(names.size()) + ".\n";
  }
  const std::string& name = names[static_cast<std::size_t>(*row)];
  const std::uint64_t framesBefore = session_.FramesRun();
  const EngineDelivery delivery = SendSelectLevel(session_, static_cast<int>(*row));
  if (delivery) {
    return "Going to level " + name + ".\n";
  }
  return NotCarriedOut(delivery, "to go to level " + name, framesBefore).value_or("");
}

std::string CServerDlg::NextLevel() {
  const std::uint64_t framesBefore = session_.FramesRun();
  const EngineDelivery delivery = SendNextLevel(session_);
  if (delivery) {
    return "Going to the next level.\n";
  }
  return NotCarriedOut(delivery, "to go to the next level", framesBefore).value_or("");
}

}  // namespace vex
