// Prints the cost of one status refresh tick with 64 players on a running session (the scripted
// engine module plays the engine), with and without a roster change, in one front-end per run:
//   refresh_bench            the console back-end
//   refresh_bench --window   the Qt back-end (set QT_QPA_PLATFORM=offscreen without a display)
// Beside it, a naive tick that rewrites every cell with SetItemText. Target: a tick with nothing
// changed at most 0.2 times the naive one.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "framework/Application.h"
#include "framework/console/ConsoleBackEnd.h"
#include "tests/support/GameMessageBytes.h"
#include "tests/support/RefreshFixture.h"
#include "ui/FormatSpan.h"

namespace {

using vex::test::LevelStarted;
using vex::test::PlayerAdded;
using vex::test::PlayerStats;
using vex::test::RefreshFixture;
using vex::test::StatsRecord;

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

using Clock = std::chrono::steady_clock;
constexpr int kTicks = 2000;

// Microseconds per tick over kTicks ticks, the best of three rounds.
template <typename Tick>
double MicrosecondsPerTick(Tick tick) {
  double best = 0.0;
  for (int round = 0; round < 3; ++round) {
    const Clock::time_point start = Clock::now();
    for (int i = 0; i < kTicks; ++i) {
      tick();
    }
    const double each =
        std::chrono::duration<double, std::micro>(Clock::now() - start).count() / kTicks;
    best = round == 0 ? each : std::min(best, each);
  }
  return best;
}

// What a PlayerStats message leaves: one score moved, every row due for a rewrite.
void ChangeOneScore(RefreshFixture& session, std::int64_t tick) {
  std::lock_guard lock(session.Session().Lock());
  vex::CPlayerInfo* player = session.Tracking.Roster.Find(static_cast<int>(tick % kPlayers) * 37);
  ++player->Score;
  session.Tracking.RosterChanged = true;
}

// The refresh a developer might write first: every cell of every row written on every tick,
// from a snapshot and the pings taken under the session lock.
void NaiveTick(RefreshFixture& session, std::int64_t now) {
  std::vector<vex::CPlayerInfo> players;
  std::vector<float> pings;
  {
    std::lock_guard lock(session.Session().Lock());
    session.Tracking.Roster.ForEach([&](const vex::CPlayerInfo& p) { players.push_back(p); });
    for (const vex::CPlayerInfo& p : players) {
      float seconds = 0.0f;
      session.Session().Engine()->ReadClientPing(p.ClientId, &seconds);
      pings.push_back(seconds);
    }
  }
  vex::fw::CListCtrl& list = session.PlayerList();
  for (int row = 0; row < static_cast<int>(players.size()); ++row) {
    const vex::CPlayerInfo& p = players[static_cast<std::size_t>(row)];
    list.SetItemText(row, 0, std::string(p.Name, strnlen(p.Name, sizeof p.Name)));
    list.SetItemText(
        row, 1, std::to_string(static_cast<int>(pings[static_cast<std::size_t>(row)] * 1000.0f)));
    list.SetItemText(row, 2, std::to_string(p.Kills));
    list.SetItemText(row, 3, std::to_string(p.Score));
    list.SetItemText(row, 4, std::to_string(p.Lives));
    list.SetItemText(row, 5, vex::FormatSpan(static_cast<std::int32_t>(now - p.JoinTime)));
  }
}

int RunTicks() {
  auto session = LiveSession();
  if (!session) {
    std::fprintf(stderr, "refresh_bench: the session did not start\n");
    return 1;
  }
  std::int64_t tick = 0;
  const double unchanged = MicrosecondsPerTick([&] { session->Tick(TickTime(++tick)); });
  const double changed = MicrosecondsPerTick([&] {
    ChangeOneScore(*session, tick);
    session->Tick(TickTime(++tick));
  });
  const double naive = MicrosecondsPerTick([&] { NaiveTick(*session, TickTime(++tick)); });
  std::printf("%d players, %d ticks per figure, best of 3\n", kPlayers, kTicks);
  std::printf("refresh tick, nothing changed:     %9.2f us\n", unchanged);
  std::printf("refresh tick, one score changed:   %9.2f us\n", changed);
  std::printf("naive tick, every cell rewritten:  %9.2f us\n", naive);
  std::printf("ratio unchanged / naive: %.3f (target <= 0.2); changed / naive: %.3f\n",
              unchanged / naive, changed / naive);
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  bool window = false;
  for (int i = 1; i < argc; ++i) {
    if (std::strcmp(argv[i], "--window") == 0) {
      window = true;
    }
  }
  vex::fw::ConsoleOptions options;
  options.ReadTerminal = false;
  options.CatchStopSignals = false;
  vex::fw::SetConsoleOptions(options);
  vex::fw::CWinApp app("VexServer");
  app.StartBackEnd(argc, argv, window ? vex::fw::FrontEnd::Window : vex::fw::FrontEnd::Console);
  const bool onWindow = app.ActiveFrontEnd() == vex::fw::FrontEnd::Window;
  std::printf("front-end: %s\n", onWindow ? "Qt window" : "console");
  if (window && !onWindow) {
    std::printf("the window front-end is not built in; measured the console one\n");
  }
  const int result = RunTicks();
  app.StopBackEnd();
  return result;
}
