// Runs the update thread against the real engine module for 10 s with frames of 5 ms and prints
// the frame rate, the spacing of frame starts and how fast a stop request ends the thread.
#include <stdlib.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <numeric>
#include <thread>
#include <vector>

#include "res/Resource.h"
#include "session/GameHost.h"
#include "session/ServerSession.h"

namespace {

using Clock = std::chrono::steady_clock;

class BenchHost final : public vex::ISessionHost {
 public:
  Clock::time_point Stopped;

  void PrintConsoleLineById(int stringId) override {
    if (stringId == vex::res::IDS_STOPPED) {
      Stopped = Clock::now();
    }
  }
  void PrintConsoleText(std::string_view) override {}
  void ReportError(int stringId) override {
    std::fprintf(stderr, "update_thread_bench: the session reported error %d\n", stringId);
    std::exit(1);
  }
  int SetUpGameHost(vex::IServerEngine& engine) override {
    vex::CGameOptions block{};
    block.GameType = 1;
    block.MaxTotalPlayers = 8;
    block.MapCount = 1;
    std::strcpy(block.Maps[0], "Worlds\\Multi\\Arena");
    return vex::HostPreparedGame(engine, block, "Benchmark");
  }
  void StartRefreshTimer() override {}
  void ResetTracking() override {}
  void DropRoster() override {}
};

// The engine reports the start of every traced frame through the packet callback, which the
// program itself ignores.
class FrameRecorder final : public vex::ServerAppHandler {
 public:
  FrameRecorder() { Starts.reserve(1000); }
  int OnPacket(std::uint32_t, std::uint32_t, std::uint32_t, std::uint16_t) override {
    Starts.push_back(Clock::now());
    return 0;
  }
  std::vector<Clock::time_point> Starts;
};

double Milliseconds(Clock::duration d) {
  return std::chrono::duration<double, std::milli>(d).count();
}

}  // namespace

int main() {
  setenv("VEX_SIM_FRAME_MS", "5", 1);
  setenv("VEX_SIM_FRAME_TRACE", "1", 1);
  BenchHost host;
  FrameRecorder frames;
  vex::CServerSession session(host, frames);
  if (!session.Initialise() || !session.Start()) {
    std::fprintf(stderr, "update_thread_bench: the session did not start\n");
    return 1;
  }
  std::this_thread::sleep_for(std::chrono::seconds(10));
  const Clock::time_point stopRequest = Clock::now();
  session.Stop();

  const auto& starts = frames.Starts;
  if (starts.size() < 3) {
    std::fprintf(stderr, "update_thread_bench: the engine traced no frames\n");
    return 1;
  }
  std::vector<double> intervals;
  for (std::size_t i = 1; i < starts.size(); ++i) {
    intervals.push_back(Milliseconds(starts[i] - starts[i - 1]));
  }
  const double span = Milliseconds(starts.back() - starts.front());
  const double mean = std::accumulate(intervals.begin(), intervals.end(), 0.0) / intervals.size();
  std::vector<double> sorted = intervals;
  std::sort(sorted.begin(), sorted.end());
  const double p99 = sorted[static_cast<std::size_t>(0.99 * (sorted.size() - 1))];

  std::printf("frames:                 %zu in %.0f ms\n", starts.size(), span);
  std::printf("frames per second:      %.2f (target 30.30)\n", 1000.0 * intervals.size() / span);
  std::printf("interval mean:          %.3f ms (target 33)\n", mean);
  std::printf("interval 99th pct:      %.3f ms\n", p99);
  std::printf("interval longest:       %.3f ms\n", sorted.back());
  std::printf("stop request to end:    %.3f ms (one frame is 33 ms)\n",
              Milliseconds(host.Stopped - stopRequest));
  return 0;
}
