#include "tools/vexclient/Summary.h"

#include <algorithm>
#include <cmath>

namespace vex::tools {

namespace {

// The nearest-rank percentile of sorted values.
double Percentile(const std::vector<double>& sorted, double percent) {
  const auto rank = static_cast<std::size_t>(std::ceil(percent / 100.0 * sorted.size()));
  return sorted[std::clamp<std::size_t>(rank, 1, sorted.size()) - 1];
}

}  // namespace

Summary Summarise(const std::vector<std::unique_ptr<Player>>& players) {
  Summary summary;
  summary.Players = static_cast<int>(players.size());
  for (const auto& player : players) {
    summary.Joined += player->Joined() ? 1 : 0;
    switch (player->State()) {
      case PlayerState::Refused:
        ++summary.Refused[static_cast<int>(*player->Refusal()) - 1];
        break;
      case PlayerState::NoAnswer:
        ++summary.NoAnswer;
        break;
      case PlayerState::Kicked:
        ++summary.Kicked;
        break;
      case PlayerState::TimedOut:
        ++summary.TimedOut;
        break;
      case PlayerState::ServerClosed:
        ++summary.ServerClosed;
        break;
      case PlayerState::Joining:
      case PlayerState::Playing:
      case PlayerState::Left:
        break;
    }
    const auto& trips = player->RoundTripsMs();
    summary.RoundTripsMs.insert(summary.RoundTripsMs.end(), trips.begin(), trips.end());
  }
  std::sort(summary.RoundTripsMs.begin(), summary.RoundTripsMs.end());
  return summary;
}

void PrintSummary(const Summary& s, std::FILE* out) {
  std::fprintf(out, "Players:       %d\n", s.Players);
  std::fprintf(out, "Joined:        %d\n", s.Joined);
  std::fprintf(out,
               "Refused:       %d (wrong password %d, server full %d, bad name %d, wrong "
               "version %d)\n",
               s.RefusedTotal(), s.Refused[0], s.Refused[1], s.Refused[2], s.Refused[3]);
  std::fprintf(out, "No answer:     %d\n", s.NoAnswer);
  std::fprintf(out, "Kicked:        %d\n", s.Kicked);
  std::fprintf(out, "Timed out:     %d\n", s.TimedOut);
  std::fprintf(out, "Server closed: %d\n", s.ServerClosed);
  const auto& trips = s.RoundTripsMs;
  if (trips.empty()) {
    std::fprintf(out, "Round trip:    no samples\n");
    return;
  }
  std::fprintf(out,
               "Round trip:    min %.1f ms, median %.1f ms, p99 %.1f ms, max %.1f ms "
               "(%zu samples)\n",
               trips.front(), Percentile(trips, 50), Percentile(trips, 99), trips.back(),
               trips.size());
}

}  // namespace vex::tools
