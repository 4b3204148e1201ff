#pragma once

#include <cstdint>
#include <string>

namespace vex {

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
  int MaxPlayerCount = 0;
  std::uint32_t PlayerCount = 0;
};

}  // namespace vex
