#include <string>
#include <vector>

#include "config/FixedText.h"
#include "config/GamePreparation.h"
#include "framework/Controls.h"
#include "framework/StringTable.h"
#include "res/Resource.h"
#include "session/GameHost.h"
#include "ui/SelectConfigDlg.h"
#include "ui/ServerDlg.h"

namespace vex {

namespace {

// Level names are stored as "Worlds\Multi\<name>"; the list shows the name alone. The prefix
// itself is not checked.
constexpr std::size_t kLevelPrefixLength = 13;

}  // namespace

int CServerDlg::SetUpGameHost(IServerEngine& engine) {
  std::vector<const char*> argv;
  argv.reserve(arguments_.size());
  for (const auto& argument : arguments_) {
    argv.push_back(argument.c_str());
  }
  const GamePreparation preparation =
      PrepareGame(static_cast<int>(argv.size()), argv.data(), [] { return RunConfigSelection(); });
  if (preparation.ErrorId == res::IDS_CONFIG_UNREADABLE && !preparation.ErrorText.empty()) {
    PrintConsoleLine(preparation.ErrorText);
  }
  if (preparation.ErrorId != 0) {
    return preparation.ErrorId;
  }

  const PreparedGame& game = preparation.Game;
  display_.ServerNameText = std::string(FixedTextView(game.Block.ServName));
  display_.GameTypeText =
      std::string(fw::LoadString(game.GameTypeStringId).value_or(std::string_view{}));
  display_.MaxPlayerCount = game.Block.MaxTotalPlayers;
  display_.PlayersText =
      std::to_string(display_.PlayerCount) + "/" + std::to_string(display_.MaxPlayerCount);

  remote_.GameFacts = GameFactsFor(game.Block, display_.GameTypeText);
  FillLevelList(game.Levels);
  if (Control<fw::CListCtrl>(res::IDC_LEVEL_LIST).GetItemCount() == 0) {
    return res::IDS_NO_MAPS;
  }
  return HostPreparedGame(engine, game.Block, display_.ServerNameText);
}

// An item's position is the level's index, which the level controls send back to the game.
void CServerDlg::FillLevelList(const std::vector<std::string>& levelNames) {
  auto& levels = Control<fw::CListCtrl>(res::IDC_LEVEL_LIST);
  levels.DeleteAllItems();
  for (const auto& name : levelNames) {
    if (!name.empty()) {
      const std::string shown =
          name.size() > kLevelPrefixLength ? name.substr(kLevelPrefixLength) : std::string();
      levels.InsertItem(levels.GetItemCount(), shown);
    }
  }
}

}  // namespace vex
