#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "remote/MetricsExposition.h"
#include "remote/ProcessStats.h"
#include "remote/ServiceCounts.h"

namespace vex::remote {

// What a scrape tells of the server, as remote administration sees it at that moment.
struct ServerMetrics {
  std::uint64_t Players = 0;
  std::uint64_t PeakPlayers = 0;
  std::uint64_t PlayersJoined = 0;
  std::uint64_t Frames = 0;
  HistogramCounts FrameDurations;
  HistogramCounts FrameLateness;
  bool EngineResponding = false;
  double SecondsSinceLastFrame = 0;
  std::optional<std::string> Level;  // nothing before the first level starts
  double UptimeSeconds = 0;
  // Only an engine that counts them reports them; the bundled one does.
  std::optional<std::uint64_t> DroppedDatagrams;
  // What the kernel dropped from the game port's full receive buffer before the engine could read
  // it; nothing when the game port is no socket of this process.
  std::optional<std::uint64_t> SocketDroppedDatagrams;
  SignInCounts RconSignIns;
  SignInCounts WebSignIns;
  SignInCounts MetricsSignIns;  // scrapes that offered a token
  std::uint64_t ActiveBans = 0;
  std::uint64_t WebSessions = 0;
  QueryCounts Queries;
  std::uint64_t ConsoleLinesDropped = 0;
};

// The whole answer of /metrics; without process figures (no /proc) their families are left out.
std::string MetricsText(const ServerMetrics& server, const std::optional<ProcessStats>& process);

}  // namespace vex::remote
