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
#include "platform/UdpPort.h"
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

// The message box that follows keeps its fixed text and adds the cause below it. On the terminal
// the console is standard output, so the cause goes to standard error as well, before the box,
// unless both are one stream (a terminal, the journal) that would show it twice.
void CServerDlg::PrintCause(const std::string& cause) {
  PrintConsoleLine(cause, platform::Severity::Error);
  if (!errorCause_.empty()) {
    errorCause_ += '\n';
  }
  errorCause_ += cause;
  if (const fw::CWinApp* app = fw::AfxGetApp();
      app != nullptr && app->ActiveFrontEnd() == fw::FrontEnd::Console &&
      !platform::SameStream(STDOUT_FILENO, STDERR_FILENO)) {
    fw::WriteDiagnostic(platform::Severity::Error, app->AppName() + ": " + cause);
  }
}

int CServerDlg::SetUpGameHost(IServerEngine& engine) {
  const GamePreparation preparation = PrepareGame(arguments_, [] { return RunConfigSelection(); });
  if (preparation.ErrorId != 0) {
    if (!preparation.ErrorText.empty()) {
      PrintCause(preparation.ErrorText);
    }
    return preparation.ErrorId;
  }

  const PreparedGame& game = preparation.Game;
  display_.ServerNameText = std::string(FixedTextView(game.Block.ServName));
  display_.GameTypeText = std::string(fw::LoadStringOrEmpty(game.GameTypeStringId));
  display_.MaxPlayerCount = game.Block.MaxTotalPlayers;
  display_.PlayersText =
      std::to_string(display_.PlayerCount) + "/" + std::to_string(display_.MaxPlayerCount);

  remote_.SetGameFacts(GameFactsFor(game.Block, display_.GameTypeText));
  FillLevelList(game.Levels);
  if (Control<fw::CListCtrl>(res::IDC_LEVEL_LIST).GetItemCount() == 0) {
    return res::IDS_NO_MAPS;
  }
  const int hosted = HostPreparedGame(engine, game.Block, display_.ServerNameText);
  if (hosted != 0) {
    const std::string reason = EngineLastError(engine);
    PrintCause("Hosting failed: " + (reason.empty() ? "the engine gives no reason" : reason));
    // Servers started one port apart collide: each answers the server query on its game port + 1.
    const std::uint16_t port = game.Block.PortID;
    if (port != 0 && platform::UdpPortInUse(port)) {
      PrintCause("UDP port " + std::to_string(port) +
                 " is in use. Perhaps it is another server's query port (its game port + 1): "
                 "the game ports of two servers must be at least two apart.");
    }
  }
  return hosted;
}

// An item's position is the level's index, which the level controls send back to the game.
void CServerDlg::FillLevelList(const std::vector<std::string>& levelNames) {
  auto& levels = Control<fw::CListCtrl>(res::IDC_LEVEL_LIST);
  levels.DeleteAllItems();
  display_.LevelNames.clear();
  for (const auto& name : levelNames) {
    if (!name.empty()) {
      const std::string shown =
          name.size() > kLevelPrefixLength ? name.substr(kLevelPrefixLength) : std::string();
      levels.InsertItem(levels.GetItemCount(), shown);
      display_.LevelNames.push_back(shown);
    }
  }
}

}  // namespace vex
