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
  // The marks around a console command's output, in their place among the lines.
  std::function<void(QueuedLineKind)> CommandMark;
  std::function<void()> PushMembers;  // UpdateData(false)
  std::function<std::int64_t()> Now;  // calendar seconds
};

enum class RefreshOutcome {
  Ran,            // took the game's state and printed the queued console lines
  EngineStopped,  // an engine error: its lines printed, the session stopped
  EngineBusy,     // a frame kept the session lock: only the clocks moved on
  Idle,           // no session runs, or the game is between levels
};

// The tick took and printed the queued console lines.
inline bool LinesPrinted(RefreshOutcome outcome) {
  return outcome == RefreshOutcome::Ran || outcome == RefreshOutcome::EngineStopped;
}

// One tick of the status window's timer: takes what the game left and the pings under the session
// lock, then brings times, player rows, counts and the current-level mark up to date outside it,
// writing only the cells whose text changed. A tick that cannot take the lock (a frame is hung,
// or longer than the window thread waits for) leaves the rest for the next one.
RefreshOutcome RefreshStatus(StatusRefreshContext& context);

}  // namespace vex
