#include <string>
#include <vector>

#include "framework/Controls.h"
#include "res/Resource.h"
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

}  // namespace

std::vector<std::string> CServerDlg::CompleteTerminalWord(std::string_view before,
                                                          std::string_view word) {
  std::vector<std::string> matches;
  if (before.find_first_not_of(' ') == std::string_view::npos) {
    for (const TerminalCommand& command : TerminalCommands()) {
      AddMatch(matches, std::string(command.Name), word);
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
