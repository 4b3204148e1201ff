#include "ui/MetricsFigures.h"

#include <algorithm>

namespace vex {

namespace {

remote::HistogramCounts InSeconds(const FrameHistogram::Counts& counts) {
  remote::HistogramCounts seconds;
  for (const std::uint32_t bound : kFrameBucketBoundsUs) {
    seconds.UpperBounds.push_back(bound / 1e6);
  }
  seconds.Counts.assign(counts.Buckets.begin(), counts.Buckets.end());
  seconds.Sum = static_cast<double>(counts.SumUs) / 1e6;
  return seconds;
}

}  // namespace

void AddDisplayFigures(remote::ServerMetrics& metrics, const StatusDisplay& display,
                       std::uint32_t totalPlayers, std::int64_t nowSeconds) {
  metrics.Players = display.PlayerCount;
  metrics.PeakPlayers = display.PeakPlayers;
  metrics.PlayersJoined = totalPlayers;
  if (display.ServerStartTime != 0) {
    metrics.UptimeSeconds =
        static_cast<double>(std::max<std::int64_t>(0, nowSeconds - display.ServerStartTime));
  }
}

void AddFrameFigures(remote::ServerMetrics& metrics, const FrameTimings& timings,
                     std::uint64_t frames, bool running, FrameTimings::Clock::time_point now) {
  metrics.Frames = frames;
  metrics.FrameDurations = InSeconds(timings.Durations().Read());
  metrics.FrameLateness = InSeconds(timings.Lateness().Read());
  metrics.SecondsSinceLastFrame =
      frames == 0
          ? metrics.UptimeSeconds
          : std::max(0.0, std::chrono::duration<double>(now - timings.LastFrameEnd()).count());
  metrics.EngineResponding =
      running &&
      metrics.SecondsSinceLastFrame < std::chrono::duration<double>(kEngineSilentAfter).count();
}

void AddServiceFigures(remote::ServerMetrics& metrics, const services::RconService* rcon,
                       const services::QueryService* query, const services::WebService* web,
                       const services::MetricsService* scraped) {
  if (rcon != nullptr) {
    metrics.RconSignIns = rcon->SignIns();
    metrics.ActiveBans = rcon->ActiveBans();
  }
  if (query != nullptr) {
    metrics.Queries = query->Counts();
  }
  if (web != nullptr) {
    metrics.WebSignIns = web->SignIns();
    // Both services keep their bans in one table, which is counted once.
    metrics.ActiveBans = web->ActiveBans();
    metrics.WebSessions = web->ActiveSessions();
  }
  if (scraped != nullptr) {
    metrics.MetricsSignIns = scraped->SignIns();
    metrics.ActiveBans += scraped->ActiveBans();
  }
}

}  // namespace vex
