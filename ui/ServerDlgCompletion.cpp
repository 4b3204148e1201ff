#include <algorithm>
#include <string>
#include <vector>

#include "framework/Controls.h"
#include "res/Resource.h"
#include "session/LevelControls.h"
#include "ui/ServerDlg.h"
#include "ui/StatusRefresh.h"

namespace vex {

namespace {

void AddMatch(std::vector<std::string>& matches, std::string candidate, std::string_view word) {
  if (candidate.rfind(word, 0) == 0 && !candidate.empty()) {
    matches.push_back(std::move(candidate));
  }
}

// The command word of the line so far, when exactly one word and its blank precede the word.
std::string_view CommandBefore(std::string_view before) {
  const std::size_t first = before.find_first_not_of(' ');
  if (first == std::string_view::npos) {
    return {};
  }
  before.remove_prefix(first);
  const std::size_t blank = before.find(' ');
  if (blank == std::string_view::npos ||
      before.find_first_not_of(' ', blank) != std::string_view::npos) {
    return {};
  }
  return before.substr(0, blank);
}

// The engine's help line: "Commands: help, status, bots N, say TEXT".
constexpr std::string_view kEngineHelpStart = "Commands: ";

}  // namespace

void CServerDlg::LearnEngineCommands(std::string_view line) {
  if (line.rfind(kEngineHelpStart, 0) != 0) {
    return;
  }
  engineCommands_.clear();
  line.remove_prefix(kEngineHelpStart.size());
  while (!line.empty()) {
    const std::size_t comma = line.find(',');
    std::string_view entry = line.substr(0, comma);
    entry.remove_prefix(std::min(entry.find_first_not_of(' '), entry.size()));
    entry = entry.substr(0, entry.find_first_of(" \r\n"));
    if (!entry.empty()) {
      engineCommands_.emplace_back(entry);
    }
    line = comma == std::string_view::npos ? std::string_view{} : line.substr(comma + 1);
  }
}

std::vector<std::string> CServerDlg::CompleteTerminalWord(std::string_view before,
                                                          std::string_view word) {
  std::vector<std::string> matches;
  if (before.find_first_not_of(' ') == std::string_view::npos) {
    for (const TerminalCommand& command : TerminalCommands()) {
      AddMatch(matches, std::string(command.Name), word);
    }
    // The engine's commands are known once the operator has asked it for its help: a command
    // posted for completion's sake would reach the game as if the operator had typed it.
    for (const std::string& command : engineCommands_) {
      AddMatch(matches, command, word);
    }
    return matches;
  }
  const std::string_view command = CommandBefore(before);
  if (command == "/boot") {
    const auto& players = Control<fw::CListCtrl>(res::IDC_PLAYER_LIST);
    for (int row = 0; row < players.GetItemCount(); ++row) {
      AddMatch(matches, std::to_string(players.GetItemData(row)), word);
      AddMatch(matches, players.GetItemText(row, kNameColumn), word);
    }
  } else if (command == "/level") {
    const auto& levels = Control<fw::CListCtrl>(res::IDC_LEVEL_LIST);
    for (int row = 0; row < levels.GetItemCount(); ++row) {
      AddMatch(matches, levels.GetItemText(row, 0), word);
    }
  }
  return matches;
}

}  // namespace vex
