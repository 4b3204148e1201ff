#pragma once

#include <cstdint>
#include <functional>
#include <string_view>

#include "framework/Controls.h"
#include "platform/JournalStream.h"
#include "session/ServerSession.h"
#include "ui/GameTracking.h"
#include "ui/StatusDisplay.h"

namespace vex {

// Columns of the player list, in the order the window inserts them.
enum PlayerColumn {
  kNameColumn,
  kPingColumn,
  kKillsColumn,
  kScoreColumn,
  kLivesColumn,
  kTimeColumn
};

// State image of the current level's row in the level list.
inline constexpr int kCurrentLevelImage = 1;

struct StatusRefreshContext {
  CServerSession& Session;
  GameTracking& Tracking;
  StatusDisplay& Display;
  fw::CListCtrl& PlayerList;
  fw::CListCtrl& LevelList;
  std::function<void(std::string_view, platform::Severity)> PrintConsoleLine;
  std::function<void()> PushMembers;  // UpdateData(false)
  std::function<std::int64_t()> Now;  // calendar seconds
};

// One tick of the status window's timer: takes what the game left under the session lock, then
// brings times, player rows, counts, pings and the current-level mark up to date outside it,
// writing only the cells whose text changed. A tick that cannot take the lock within a few
// milliseconds (a frame is slow or hung) leaves everything for the next one.
void RefreshStatus(StatusRefreshContext& context);

}  // namespace vex
