#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "ui/PlayerInfo.h"

namespace vex {

// The numbers behind a player row's Ping and Time cells as the refresh last wrote them; nothing
// for a cell it has not written since the row was inserted.
struct ShownPlayerRow {
  std::optional<std::int32_t> Ping;
  std::optional<std::int32_t> Span;
};

// The status window's display members (window thread only), pushed into the controls by the
// data exchange, and the refresh's memory of what it last showed.
struct StatusDisplay {
  std::string ServerNameText;
  std::string GameTypeText;
  std::string RunningTimeText;
  std::string LevelTimeText;
  std::string PlayersText;
  std::uint32_t PeakPlayers = 0;
  std::uint32_t AveragePing = 0;

  std::int64_t ServerStartTime = 0;
  std::int64_t LevelStartTime = 0;
  std::int32_t RunningSpanShown = 0;
  std::int32_t LevelSpanShown = 0;
  int HighlightedLevel = -1;
  // A level ran at the last tick that took the game's state, so Time in Level moves on.
  bool LevelRunning = false;
  int MaxPlayerCount = 0;
  std::uint32_t PlayerCount = 0;
  // One entry a player row, by position.
  std::vector<ShownPlayerRow> ShownRows;
  // The players of the rows as the refresh last wrote them, by position.
  std::vector<CPlayerInfo> Players;
  // The level list's rows, as the game host setup filled them.
  std::vector<std::string> LevelNames;
};

}  // namespace vex
