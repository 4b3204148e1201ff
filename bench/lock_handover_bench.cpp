// How the window thread fares against long engine frames. The real engine module runs frames of
// 5, 25, 40, 60, 100, 250, 500 and 1000 ms (VEX_SIM_FRAME_MS) with eight bots playing, while this
// program's main thread plays the window thread: a refresh tick every 100 ms that takes the game's
// lines under the session lock, and an operator action (a console command) every 500 ms. Each
// frame length runs twice: with the window thread's former waits (250 ms at most for a tick, and
// none again while the frame it gave up on runs; 250 ms for an action; a frame that outlasts the
// wait keeps the lock for the next one) and with the session's own (LockForRefresh: a tick's wish
// outlives its wait and the frame under way leaves the lock to the next tick; LockForOperator:
// an action waits for any frame short of a hang).
//
// Prints, side by side: the ticks served (a tick that took the lock, or one skipped during a
// frame whose work a later tick took before a second frame ran: what a tick wants from a frame is
// only there once the frame ends); the actions refused; the delay from a game line, written
// inside a frame, to the tick that takes it. The target is judged on that delay less the lateness
// of the tick's own timer, which a busy machine adds whatever the lock does, with the longest
// frame that ran beside it, which a busy machine stretches beyond its set length. Last, the
// ticks that took the lock at once and the frames that ran (a tick's wish costs the engine a
// pause of up to a tick after a frame longer than the tick's wait). Targets: every tick served,
// no refusal, and no line later than its frame plus one tick. Seconds per run: the only argument
// (10 by default).
#include <stdlib.h>

#include <algorithm>
#include <chrono>
#include <cstdint>
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
constexpr int kFrameLengths[] = {5, 25, 40, 60, 100, 250, 500, 1000};
constexpr std::uint32_t kFormerWaitMs = 250;

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

// The window thread's waits for the session lock before a tick's wish outlived its wait.
class FormerWaits {
 public:
  explicit FormerWaits(vex::CServerSession& session) : session_(session) {}

  SessionLockHold ForRefresh() {
    const std::uint64_t frames = session_.FramesRun();
    SessionLockHold hold = TryFor(gaveUp_ && gaveUpAt_ == frames ? 0 : kFormerWaitMs);
    gaveUp_ = !hold;
    gaveUpAt_ = frames;
    return hold;
  }
  SessionLockHold ForOperator() { return TryFor(kFormerWaitMs); }

 private:
  SessionLockHold TryFor(std::uint32_t milliseconds) {
    vex::platform::RecursiveLock& lock = session_.Lock();
    if (!lock.TryLockFor(milliseconds)) {
      return {};
    }
    return SessionLockHold(lock, std::adopt_lock);
  }

  vex::CServerSession& session_;
  bool gaveUp_ = false;
  std::uint64_t gaveUpAt_ = 0;
};

struct RunFigures {
  int Ticks = 0;
  // Ticks that took the lock at once.
  int TicksRan = 0;
  // The same, and ticks whose work a later tick took before a second frame ran: the lines and
  // the game's state that a tick skipped during a frame wants are only there once it ends.
  int TicksServed = 0;
  std::uint64_t Frames = 0;
  int Actions = 0;
  int Refused = 0;
  std::vector<double> DelaysMs;
  // The same less the lateness of the tick's own timer, which a busy machine adds to any design.
  std::vector<double> OnTimeDelaysMs;
  // The longest frame that ran: a busy machine stretches the engine's frames too, and a tick
  // waits for the frame under way.
  double LongestFrameMs = 0;

  double Share(int count) const { return Ticks == 0 ? 0.0 : 100.0 * count / Ticks; }
  static double Percentile(std::vector<double> sorted, double share) {
    if (sorted.empty()) {
      return -1.0;
    }
    std::sort(sorted.begin(), sorted.end());
    return sorted[static_cast<std::size_t>(share * static_cast<double>(sorted.size() - 1))];
  }
};

RunFigures Run(int frameMs, bool current, int seconds) {
  setenv("VEX_SIM_FRAME_MS", std::to_string(frameMs).c_str(), 1);
  vex::bench::BenchmarkSessionHost host("lock_handover_bench", 8);
  LineClock lines;
  vex::CServerSession session(host, lines);
  host.Start(session);
  FormerWaits former(session);
  const vex::ConsoleCommandMessage status = vex::MakeConsoleCommandMessage("status");
  RunFigures figures;
  // FramesRun at each skipped tick that no tick has stood in for yet.
  std::vector<std::uint64_t> skipped;
  const std::uint64_t framesAtStart = session.FramesRun();
  const Clock::time_point end = Clock::now() + std::chrono::seconds(seconds);
  for (Clock::time_point tick = Clock::now() + kTick; tick < end; tick += kTick) {
    std::this_thread::sleep_until(tick);
    const Clock::duration late = Clock::now() - tick;
    ++figures.Ticks;
    {
      const SessionLockHold hold = current ? session.LockForRefresh() : former.ForRefresh();
      if (!hold) {
        skipped.push_back(session.FramesRun());
      } else {
        ++figures.TicksRan;
        ++figures.TicksServed;
        const std::uint64_t frames = session.FramesRun();
        figures.TicksServed += static_cast<int>(std::count_if(
            skipped.begin(), skipped.end(), [&](std::uint64_t at) { return frames <= at + 1; }));
        skipped.clear();
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
      const SessionLockHold hold = current ? session.LockForOperator() : former.ForOperator();
      if (hold) {
        session.Engine()->PostShellMessage(status.data(),
                                           static_cast<std::uint32_t>(status.size()));
      } else {
        ++figures.Refused;
      }
    }
  }
  // A tick skipped during the last frame or two of the run has had no chance to be stood in for.
  const std::uint64_t framesAtEnd = session.FramesRun();
  figures.Ticks -= static_cast<int>(std::count_if(
      skipped.begin(), skipped.end(), [&](std::uint64_t at) { return framesAtEnd <= at + 1; }));
  figures.LongestFrameMs = session.TakeSlowestFrameUs() / 1000.0;
  figures.Frames = session.FramesRun() - framesAtStart;
  session.Stop();
  return figures;
}

}  // namespace

int main(int argc, char** argv) {
  const int seconds = argc > 1 ? std::max(1, std::atoi(argv[1])) : 10;
  setenv("VEX_SIM_BOTS", "8", 1);
  std::printf("%d s a run, a tick every 100 ms, an action every 500 ms, 8 bots\n", seconds);
  std::printf("%-5s | %-15s | %-15s | %-41s | %-38s | %s\n", "frame", "ticks served",
              "actions refused", "line delay ms: median / 95th pct / max",
              "after, max less the timer's lateness", "ticks that took the lock at once,");
  std::printf("%-5s | %7s %7s | %7s %7s | %19s %21s | %-38s | %s\n", "ms", "before", "after",
              "before", "after", "before", "after", "(target: frame + tick)",
              "frames run: before / after");
  bool met = true;
  for (const int frameMs : kFrameLengths) {
    const RunFigures before = Run(frameMs, false, seconds);
    const RunFigures after = Run(frameMs, true, seconds);
    const double target = frameMs + 100.0;
    const double onTimeMax = RunFigures::Percentile(after.OnTimeDelaysMs, 1.0);
    const bool rowMet = after.TicksServed == after.Ticks && after.Refused == 0 &&
                        onTimeMax >= 0.0 && onTimeMax <= target;
    met = met && rowMet;
    std::printf(
        "%-5d | %6.0f%% %6.0f%% | %2d/%-4d %2d/%-4d | %5.0f %5.0f %5.0f %5.0f %5.0f %5.0f | "
        "%5.0f of %4.0f %-6s (%3zu lines, longest frame %4.0f ms) | "
        "%3.0f%% / %3.0f%%, %3llu / %3llu\n",
        frameMs, before.Share(before.TicksServed), after.Share(after.TicksServed), before.Refused,
        before.Actions, after.Refused, after.Actions, RunFigures::Percentile(before.DelaysMs, 0.5),
        RunFigures::Percentile(before.DelaysMs, 0.95), RunFigures::Percentile(before.DelaysMs, 1.0),
        RunFigures::Percentile(after.DelaysMs, 0.5), RunFigures::Percentile(after.DelaysMs, 0.95),
        RunFigures::Percentile(after.DelaysMs, 1.0), onTimeMax, target, rowMet ? "met" : "MISSED",
        after.DelaysMs.size(), after.LongestFrameMs, before.Share(before.TicksRan),
        after.Share(after.TicksRan), static_cast<unsigned long long>(before.Frames),
        static_cast<unsigned long long>(after.Frames));
  }
  std::printf("targets (every tick served, no refusal, delay within frame + tick): %s\n",
              met ? "met" : "missed");
  return 0;
}
