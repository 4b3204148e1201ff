#include <array>
#include <charconv>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "framework/Application.h"
#include "framework/Controls.h"
#include "res/Resource.h"
#include "ui/ServerDlg.h"
#include "ui/StatusRefresh.h"
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

void WriteLine(std::string_view text) {
  std::string line(text);
  line += '\n';
  fw::TerminalWrite(line);
}

}  // namespace

void CServerDlg::OnTerminalLine(const std::string& input) {
  std::string_view line = input;
  if (!line.empty() && line.back() == '\r') {
    line.remove_suffix(1);
  }
  if (line.empty() || line.front() != '/') {
    Item(res::IDC_COMMAND).SetWindowText(line);
    OnCommand(res::IDC_SEND);
    return;
  }
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
      command.Run(*this, argument);
      return;
    }
  }
  std::string message = "Unknown command ";
  message += name;
  message += "; /help lists the commands.";
  WriteLine(message);
}

std::span<const TerminalCommand> CServerDlg::TerminalCommands() {
  static constexpr std::array<TerminalCommand, 8> kCommands{{
      {"/players", "", "list the players with their ids",
       [](CServerDlg& window, std::string_view) { window.PrintPlayers(); }},
      {"/levels", "", "list the levels; * marks the current one",
       [](CServerDlg& window, std::string_view) { window.PrintLevels(); }},
      {"/status", "", "show the server's status",
       [](CServerDlg& window, std::string_view) { window.PrintStatus(); }},
      {"/boot", "ID", "boot the player with that id (or name)",
       [](CServerDlg& window, std::string_view id) { window.BootById(id); }},
      {"/next", "", "go to the next level",
       [](CServerDlg& window, std::string_view) { window.OnCommand(res::IDC_NEXT_LEVEL); }},
      {"/level", "N", "go to the level in row N of /levels (or of that name)",
       [](CServerDlg& window, std::string_view row) { window.SelectLevelByRow(row); }},
      {"/stop", "", "stop the server",
       [](CServerDlg& window, std::string_view) { window.OnCommand(res::IDC_STOP_SERVER); }},
      {"/help", "", "show this list",
       [](CServerDlg&, std::string_view) { fw::TerminalWrite(TerminalHelpText()); }},
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

void CServerDlg::PrintPlayers() {
  const auto& players = Control<fw::CListCtrl>(res::IDC_PLAYER_LIST);
  std::vector<std::vector<std::string>> rows(1);
  rows[0].push_back("ID");
  for (int column = 0; column < players.GetColumnCount(); ++column) {
    rows[0].push_back(players.GetColumnHeading(column));
  }
  for (int item = 0; item < players.GetItemCount(); ++item) {
    std::vector<std::string> row{std::to_string(players.GetItemData(item))};
    for (int column = 0; column < players.GetColumnCount(); ++column) {
      row.push_back(players.GetItemText(item, column));
    }
    rows.push_back(std::move(row));
  }
  fw::TerminalWrite(FormatTextTable(rows));
  if (players.GetItemCount() == 0) {
    WriteLine("No players.");
  }
}

void CServerDlg::PrintLevels() {
  const auto& levels = Control<fw::CListCtrl>(res::IDC_LEVEL_LIST);
  std::vector<std::vector<std::string>> rows{{"N", "", levels.GetColumnHeading(0)}};
  for (int item = 0; item < levels.GetItemCount(); ++item) {
    // Numbered from 1, as the engine's "level 2 of 4" and the window count.
    rows.push_back({std::to_string(item + 1),
                    levels.GetStateImage(item) == kCurrentLevelImage ? "*" : "",
                    levels.GetItemText(item, 0)});
  }
  fw::TerminalWrite(FormatTextTable(rows));
}

void CServerDlg::PrintStatus() {
  const auto text = [this](int id) { return Item(id).GetWindowText(); };
  fw::TerminalWrite(FormatTextTable({
      {"Server Name:", text(res::IDC_SERVER_NAME)},
      {"Game Type:", text(res::IDC_GAME_TYPE)},
      {"Running Time:", text(res::IDC_RUNNING_TIME)},
      {"Time in Level:", text(res::IDC_LEVEL_TIME)},
      {"Current Players:", text(res::IDC_PLAYERS)},
      {"Peak Players:", text(res::IDC_PEAK_PLAYERS)},
      {"Total Players:", text(res::IDC_TOTAL_PLAYERS)},
      {"Average Ping:", text(res::IDC_AVERAGE_PING)},
      {"Server:", session_.Engine() != nullptr ? "running" : "stopped"},
  }));
}

// An id, or a player's name as Tab completes it.
void CServerDlg::BootById(std::string_view argument) {
  const auto clientId = ParseInteger(argument);
  auto& players = Control<fw::CListCtrl>(res::IDC_PLAYER_LIST);
  if (!clientId && argument.empty()) {
    WriteLine("Usage: /boot ID (the ID column of /players) or /boot NAME");
    return;
  }
  std::vector<int> matches;
  for (int item = 0; item < players.GetItemCount(); ++item) {
    if (clientId ? players.GetItemData(item) == *clientId
                 : players.GetItemText(item, kNameColumn) == argument) {
      matches.push_back(item);
    }
  }
  if (matches.empty()) {
    WriteLine(clientId ? "No player has that id." : "No player has that name.");
    return;
  }
  if (matches.size() > 1) {
    // Players may share a name; booting the first of them may hit the wrong one.
    std::vector<std::vector<std::string>> rows{{"ID", "Name"}};
    for (int item : matches) {
      rows.push_back(
          {std::to_string(players.GetItemData(item)), players.GetItemText(item, kNameColumn)});
    }
    WriteLine("Several players have that name; boot one by its ID:");
    fw::TerminalWrite(FormatTextTable(rows));
    return;
  }
  players.SetItemSelected(matches.front(), true);
  OnCommand(res::IDC_BOOT_PLAYER);
}

// A row, or a level's name as Tab completes it.
void CServerDlg::SelectLevelByRow(std::string_view argument) {
  auto row = ParseInteger(argument);
  if (row) {
    --*row;  // /levels numbers its rows from 1
  }
  auto& levels = Control<fw::CListCtrl>(res::IDC_LEVEL_LIST);
  for (int item = 0; !row && item < levels.GetItemCount(); ++item) {
    if (!argument.empty() && levels.GetItemText(item, 0) == argument) {
      row = item;
    }
  }
  if (!row || *row < 0 || *row >= levels.GetItemCount()) {
    WriteLine("Usage: /level N (a row of /levels) or /level NAME");
    return;
  }
  levels.SetItemSelected(static_cast<int>(*row), true);
  OnCommand(res::IDC_SELECT_LEVEL);
}

}  // namespace vex
