// How the window thread fares against long engine frames. The real engine module runs frames of
// 5, 25, 40, 60 and 100 ms (VEX_SIM_FRAME_MS) with eight bots playing, while this program's main
// thread plays the window thread: a refresh tick every 100 ms that takes the game's lines under
// the session lock, and an operator action (a console command) every 500 ms. Each frame length
// runs twice: with the window thread's former hand-over (a poll of try_lock every 200 us, for
// 5 ms on a tick and 250 ms on an action, while the update thread takes the lock again at once)
// and with the session's own (LockForRefresh, LockForOperator). Prints, side by side, the share
// of ticks that took the lock, the actions refused, and the delay from a game line, written
// inside a frame, to the tick that takes it; the target is judged on that delay less the
// lateness of the tick's own timer, which a busy machine adds whatever the lock does. Targets:
// every tick, no refusal, and no line later than its frame plus one tick. Seconds per run: the
// only argument (10 by default).
#include <stdlib.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <string>
#include <thread>
#include <vector>

#include "BenchmarkGame.h"
#include "session/ServerSession.h"
#include "session/ShellMessages.h"

namespace {

using Clock = std::chrono::steady_clock;
using vex::SessionLockHold;

constexpr auto kTick = std::chrono::milliseconds(100);
// Actions come between two ticks, as the operator's clicks do.
constexpr auto kActionAfterTick = std::chrono::milliseconds(50);
constexpr int kTicksPerAction = 5;
constexpr int kFrameLengths[] = {5, 25, 40, 60, 100};

// Game lines (game messages of type 5) and engine console text arrive inside engine calls,
// under the session lock; the time each was written waits with it for the tick that takes it, as
// the window's pending console lines do.
class LineClock final : public vex::ServerAppHandler {
 public:
  int OnGameMessage(const char* data, int length) override {
    constexpr char kGameLine = 5;
    if (length > 0 && data[0] == kGameLine) {
      Written.push_back(Clock::now());
    }
    return 0;
  }
  int OnConsoleText(const char*) override {
    Written.push_back(Clock::now());
    return 0;
  }
  std::vector<Clock::time_point> Written;
};

// The window thread's wait for the session lock before the fair hand-over, as it was.
SessionLockHold PollFor(vex::CServerSession& session, std::chrono::milliseconds limit) {
  vex::platform::RecursiveLock& lock = session.Lock();
  const Clock::time_point deadline = Clock::now() + limit;
  while (!lock.try_lock()) {
    if (Clock::now() >= deadline) {
      return {};
    }
    std::this_thread::sleep_for(std::chrono::microseconds(200));
  }
  return SessionLockHold(lock, std::adopt_lock);
}

struct RunFigures {
  int Ticks = 0;
  int TicksRan = 0;
  int Actions = 0;
  int Refused = 0;
  std::vector<double> DelaysMs;
  // The same less the lateness of the tick's own timer, which a busy machine adds to any design.
  std::vector<double> OnTimeDelaysMs;

  double Share() const { return Ticks == 0 ? 0.0 : 100.0 * TicksRan / Ticks; }
  static double Percentile(std::vector<double> sorted, double share) {
    if (sorted.empty()) {
      return -1.0;
    }
    std::sort(sorted.begin(), sorted.end());
    return sorted[static_cast<std::size_t>(share * static_cast<double>(sorted.size() - 1))];
  }
};

RunFigures Run(int frameMs, bool fair, int seconds) {
  setenv("VEX_SIM_FRAME_MS", std::to_string(frameMs).c_str(), 1);
  vex::bench::BenchmarkSessionHost host("lock_handover_bench", 8);
  LineClock lines;
  vex::CServerSession session(host, lines);
  host.Start(session);
  const vex::ConsoleCommandMessage status = vex::MakeConsoleCommandMessage("status");
  RunFigures figures;
  const Clock::time_point end = Clock::now() + std::chrono::seconds(seconds);
  for (Clock::time_point tick = Clock::now() + kTick; tick < end; tick += kTick) {
    std::this_thread::sleep_until(tick);
    const Clock::duration late = Clock::now() - tick;
    ++figures.Ticks;
    {
      const SessionLockHold hold =
          fair ? session.LockForRefresh() : PollFor(session, std::chrono::milliseconds(5));
      if (hold) {
        ++figures.TicksRan;
        const Clock::time_point shown = Clock::now();
        for (const Clock::time_point written : lines.Written) {
          figures.DelaysMs.push_back(
              std::chrono::duration<double, std::milli>(shown - written).count());
          figures.OnTimeDelaysMs.push_back(
              std::chrono::duration<double, std::milli>(shown - written - late).count());
        }
        lines.Written.clear();
      }
    }
    if (figures.Ticks % kTicksPerAction == 0) {
      std::this_thread::sleep_until(tick + kActionAfterTick);
      ++figures.Actions;
      const SessionLockHold hold =
          fair ? session.LockForOperator() : PollFor(session, std::chrono::milliseconds(250));
      if (hold) {
        session.Engine()->PostShellMessage(status.data(),
                                           static_cast<std::uint32_t>(status.size()));
      } else {
        ++figures.Refused;
      }
    }
  }
  session.Stop();
  return figures;
}

}  // namespace

int main(int argc, char** argv) {
  const int seconds = argc > 1 ? std::max(1, std::atoi(argv[1])) : 10;
  setenv("VEX_SIM_BOTS", "8", 1);
  std::printf("%d s a run, a tick every 100 ms, an action every 500 ms, 8 bots\n", seconds);
  std::printf("%-5s | %-15s | %-15s | %-41s | %s\n", "frame", "ticks that ran", "actions refused",
              "line delay ms: median / 95th pct / max", "after, max less the timer's lateness");
  std::printf("%-5s | %7s %7s | %7s %7s | %19s %21s | %s\n", "ms", "before", "after", "before",
              "after", "before", "after", "(target: frame + tick)");
  bool met = true;
  for (const int frameMs : kFrameLengths) {
    const RunFigures before = Run(frameMs, false, seconds);
    const RunFigures after = Run(frameMs, true, seconds);
    const double target = frameMs + 100.0;
    const double onTimeMax = RunFigures::Percentile(after.OnTimeDelaysMs, 1.0);
    const bool rowMet = after.TicksRan == after.Ticks && after.Refused == 0 && onTimeMax >= 0.0 &&
                        onTimeMax <= target;
    met = met && rowMet;
    std::printf(
        "%-5d | %6.0f%% %6.0f%% | %2d/%-4d %2d/%-4d | %5.0f %5.0f %5.0f %5.0f %5.0f %5.0f | "
        "%5.0f of %.0f %s (%zu lines)\n",
        frameMs, before.Share(), after.Share(), before.Refused, before.Actions, after.Refused,
        after.Actions, RunFigures::Percentile(before.DelaysMs, 0.5),
        RunFigures::Percentile(before.DelaysMs, 0.95), RunFigures::Percentile(before.DelaysMs, 1.0),
        RunFigures::Percentile(after.DelaysMs, 0.5), RunFigures::Percentile(after.DelaysMs, 0.95),
        RunFigures::Percentile(after.DelaysMs, 1.0), onTimeMax, target, rowMet ? "met" : "MISSED",
        after.DelaysMs.size());
  }
  std::printf("targets (every tick, no refusal, delay within frame + tick): %s\n",
              met ? "met" : "missed");
  return 0;
}
