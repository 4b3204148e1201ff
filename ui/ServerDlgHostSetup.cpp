#include <unistd.h>

#include <cstdio>
#include <string>
#include <vector>

#include "config/FixedText.h"
#include "config/GamePreparation.h"
#include "framework/Application.h"
#include "framework/Controls.h"
#include "framework/StringTable.h"
#include "framework/TerminalStyle.h"
#include "platform/JournalStream.h"
#include "res/Resource.h"
#include "session/GameHost.h"
#include "ui/SelectConfigDlg.h"
#include "ui/ServerDlg.h"

namespace vex {

namespace {

// Level names are stored as "Worlds\Multi\<name>"; the list shows the name alone. The prefix
// itself is not checked.
constexpr std::size_t kLevelPrefixLength = 13;

// The message box that follows keeps its fixed text; the console says why. On the terminal the
// console is standard output, so the reason goes to standard error as well, beside the box,
// unless both are one stream (a terminal, the journal) that would show it twice.
void PrintCause(CServerDlg& window, const std::string& cause) {
  window.PrintConsoleLine(cause, platform::Severity::Error);
  if (const fw::CWinApp* app = fw::AfxGetApp();
      app != nullptr && app->ActiveFrontEnd() == fw::FrontEnd::Console &&
      !platform::SameStream(STDOUT_FILENO, STDERR_FILENO)) {
    fw::WriteDiagnostic(platform::Severity::Error, app->AppName() + ": " + cause);
  }
}

}  // namespace

int CServerDlg::SetUpGameHost(IServerEngine& engine) {
  const GamePreparation preparation = PrepareGame(arguments_, [] { return RunConfigSelection(); });
  if (preparation.ErrorId != 0) {
    if (!preparation.ErrorText.empty()) {
      PrintCause(*this, preparation.ErrorText);
    }
    return preparation.ErrorId;
  }

  const PreparedGame& game = preparation.Game;
  display_.ServerNameText = std::string(FixedTextView(game.Block.ServName));
  display_.GameTypeText = std::string(fw::LoadStringOrEmpty(game.GameTypeStringId));
  display_.MaxPlayerCount = game.Block.MaxTotalPlayers;
  display_.PlayersText =
      std::to_string(display_.PlayerCount) + "/" + std::to_string(display_.MaxPlayerCount);

  remote_.GameFacts = GameFactsFor(game.Block, display_.GameTypeText);
  FillLevelList(game.Levels);
  if (Control<fw::CListCtrl>(res::IDC_LEVEL_LIST).GetItemCount() == 0) {
    return res::IDS_NO_MAPS;
  }
  const int hosted = HostPreparedGame(engine, game.Block, display_.ServerNameText);
  if (hosted != 0) {
    const std::string reason = EngineLastError(engine);
    PrintCause(*this,
               "Hosting failed: " + (reason.empty() ? "the engine gives no reason" : reason));
  }
  return hosted;
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
