#include <algorithm>

#include "framework/Controls.h"
#include "framework/StringTable.h"
#include "res/Resource.h"
#include "session/LevelControls.h"
#include "ui/ServerDlg.h"

namespace vex {

namespace {

struct PlayerColumnLayout {
  int HeadingId;
  double Share;
};

// The shares add up to exactly 1.
constexpr std::array<PlayerColumnLayout, 6> kPlayerColumns = {{
    {res::IDS_COLUMN_NAME, 0.35},
    {res::IDS_COLUMN_PING, 0.11},
    {res::IDS_COLUMN_KILLS, 0.11},
    {res::IDS_COLUMN_SCORE, 0.13},
    {res::IDS_COLUMN_LIVES, 0.12},
    {res::IDS_COLUMN_TIME, 0.18},
}};

// Room for the list's border and vertical scroll bar.
constexpr int kPlayerListAllowance = 22;

}  // namespace

std::array<int, 6> PlayerColumnWidths(int outerWidth) {
  const int available = outerWidth - kPlayerListAllowance;
  std::array<int, 6> widths{};
  for (std::size_t i = 0; i < kPlayerColumns.size(); ++i) {
    widths[i] = static_cast<int>(available * kPlayerColumns[i].Share);
  }
  return widths;
}

void CServerDlg::SetUpPlayerList() {
  auto& players = Control<fw::CListCtrl>(res::IDC_PLAYER_LIST);
  players.SetStateImageList(&stateImages_);
  for (int column = 0; column < static_cast<int>(kPlayerColumns.size()); ++column) {
    players.InsertColumn(column, fw::LoadStringOrEmpty(kPlayerColumns[column].HeadingId), 0);
  }
  FitPlayerColumns();
}

void CServerDlg::FitPlayerColumns() {
  auto& players = Control<fw::CListCtrl>(res::IDC_PLAYER_LIST);
  const auto widths = PlayerColumnWidths(players.GetOuterWidth());
  const int columns = std::min(players.GetColumnCount(), static_cast<int>(widths.size()));
  for (int column = 0; column < columns; ++column) {
    players.SetColumnWidth(column, widths[static_cast<std::size_t>(column)]);
  }
}

void CServerDlg::OnSize(int width, int height) {
  fw::CDialog::OnSize(width, height);
  // The list grows with the window; its columns keep their shares of the new width.
  FitPlayerColumns();
}

void CServerDlg::SetUpLevelList() {
  auto& levels = Control<fw::CListCtrl>(res::IDC_LEVEL_LIST);
  levels.SetStateImageList(&stateImages_);
  levels.InsertColumn(0, fw::LoadStringOrEmpty(res::IDS_COLUMN_WORLD), 0);
  levels.SetColumnWidth(0, fw::kAutoSizeUseHeader);
}

void CServerDlg::UpdateSelectionButtons(int listId) {
  int buttonId = 0;
  if (listId == res::IDC_PLAYER_LIST) {
    buttonId = res::IDC_BOOT_PLAYER;
  } else if (listId == res::IDC_LEVEL_LIST) {
    buttonId = res::IDC_SELECT_LEVEL;
  } else {
    return;
  }
  const bool anySelected = Control<fw::CListCtrl>(listId).GetFirstSelected() >= 0;
  Item(buttonId).EnableWindow(anySelected);
}

void CServerDlg::BootPlayer() {
  const auto& players = Control<fw::CListCtrl>(res::IDC_PLAYER_LIST);
  const int row = players.GetFirstSelected();
  if (row < 0) {
    return;
  }
  std::string engineOutput;
  KickPlayer(static_cast<std::int32_t>(players.GetItemData(row)), engineOutput);
}

void CServerDlg::SelectLevel() {
  TellIfRefused(
      SendSelectLevel(session_, Control<fw::CListCtrl>(res::IDC_LEVEL_LIST).GetFirstSelected()),
      "to change the level");
}

// A button's action that the engine refused says so in the console; one that found no engine
// does nothing, and a busy engine has been reported by the lock.
void CServerDlg::TellIfRefused(const EngineDelivery& delivery, std::string_view action) {
  if (delivery.What == EngineDelivery::Outcome::Refused) {
    PrintConsoleLine(NotCarriedOut(delivery, action, session_.FramesRun()).value_or(""),
                     platform::Severity::Warning);
  }
}

}  // namespace vex
