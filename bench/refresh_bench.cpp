// Prints the cost of one status refresh tick with 64 players on a running session (the scripted
// engine module plays the engine), with and without a roster change, in one front-end per run:
//   refresh_bench            the console back-end
//   refresh_bench --window   the Qt back-end (set QT_QPA_PLATFORM=offscreen without a display)
// A tick has 100 ms; the target is below 1 ms.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstring>
#include <memory>
#include <mutex>

#include "GameMessageBytes.h"
#include "RefreshFixture.h"
#include "framework/Application.h"
#include "framework/console/ConsoleBackEnd.h"

namespace {

using vex::testing_support::LevelStarted;
using vex::testing_support::PlayerAdded;
using vex::testing_support::PlayerStats;
using vex::testing_support::RefreshFixture;
using vex::testing_support::StatsRecord;

constexpr int kPlayers = 64;

// A session with 64 named players, one tick already shown, and steady pings.
std::unique_ptr<RefreshFixture> LiveSession() {
  auto session = std::make_unique<RefreshFixture>();
  if (!session->Started()) {
    return nullptr;
  }
  session->Send(LevelStarted(0));
  std::string records;
  for (int id = 0; id < kPlayers; ++id) {
    session->Send(PlayerAdded(id * 37));
    session->Engine().SetPing(id * 37, 0.020f + 0.001f * static_cast<float>(id));
    records +=
        StatsRecord(id * 37, "Player " + std::to_string(id), id, id * 10, 3, id % 4, id % 2, -1);
  }
  session->Send(PlayerStats(records));
  session->Tick(RefreshFixture::kStart);
  return session;
}

// Ten ticks a second: the Time cells change on every tenth tick, as they do in the window.
std::int64_t TickTime(std::int64_t tick) {
  return RefreshFixture::kStart + tick / 10;
}

void BM_TickWithoutRosterChange(benchmark::State& state) {
  auto session = LiveSession();
  if (!session) {
    state.SkipWithError("the session did not start");
    return;
  }
  std::int64_t tick = 0;
  for (auto _ : state) {
    session->Tick(TickTime(++tick));
  }
}

void BM_TickWithRosterChange(benchmark::State& state) {
  auto session = LiveSession();
  if (!session) {
    state.SkipWithError("the session did not start");
    return;
  }
  std::int64_t tick = 0;
  for (auto _ : state) {
    {
      // What a PlayerStats message leaves: one score moved, every row due for a rewrite.
      std::lock_guard lock(session->Session().Lock());
      vex::CPlayerInfo* player =
          session->Tracking.Roster.Find(static_cast<int>(tick % kPlayers) * 37);
      ++player->Score;
      session->Tracking.RosterChanged = true;
    }
    session->Tick(TickTime(++tick));
  }
}

BENCHMARK(BM_TickWithoutRosterChange)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_TickWithRosterChange)->Unit(benchmark::kMicrosecond);

}  // namespace

int main(int argc, char** argv) {
  bool window = false;
  for (int i = 1; i < argc; ++i) {
    if (std::strcmp(argv[i], "--window") == 0) {
      window = true;
    }
  }
  vex::fw::ConsoleOptions options;
  options.readTerminal = false;
  options.catchStopSignals = false;
  vex::fw::SetConsoleOptions(options);
  vex::fw::CWinApp app("VexServer");
  app.StartBackEnd(argc, argv, window ? vex::fw::FrontEnd::Window : vex::fw::FrontEnd::Console);
  const bool onWindow = app.ActiveFrontEnd() == vex::fw::FrontEnd::Window;
  std::printf("front-end: %s\n", onWindow ? "Qt window" : "console");
  if (window && !onWindow) {
    std::printf("the window front-end is not built in; measured the console one\n");
  }
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  app.StopBackEnd();
  return 0;
}
