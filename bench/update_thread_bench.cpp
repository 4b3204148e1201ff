// Runs the update thread against the real engine module with frames of 5 ms for 60 s (or the
// seconds given as the only argument), and in the same 60 s two loops a developer might write
// instead: one that sleeps 33 ms minus the frame's time with sleep_for, one that sleeps until
// absolute deadlines with sleep_until. Prints for each the frame rate, the 99th percentile and
// worst deviation of frame starts from a 33 ms grid, and the drift at the end; then the time from a
// stop request to the thread's end over 100 stops.
#include <stdlib.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <thread>
#include <vector>

#include "BenchmarkGame.h"
#include "session/ServerSession.h"

namespace {

using Clock = std::chrono::steady_clock;

// The engine reports the start of every traced frame through the packet callback, which the
// program itself ignores.
class FrameRecorder final : public vex::ServerAppHandler {
 public:
  FrameRecorder() { Starts.reserve(4000); }
  int OnPacket(std::uint32_t, std::uint32_t, std::uint32_t, std::uint16_t) override {
    Starts.push_back(Clock::now());
    return 0;
  }
  std::vector<Clock::time_point> Starts;
};

double Milliseconds(Clock::duration d) {
  return std::chrono::duration<double, std::milli>(d).count();
}

constexpr auto kFrameWork = std::chrono::milliseconds(5);
constexpr auto kInterval = std::chrono::milliseconds(33);
constexpr int kStops = 100;

double Percentile(std::vector<double> values, double share) {
  std::sort(values.begin(), values.end());
  return values[static_cast<std::size_t>(share * static_cast<double>(values.size() - 1))];
}

// Deviations are taken from the 33 ms grid whose phase is the median phase of the frames, so
// that a first frame that starts off the grid does not shift every other frame's figure.
void PrintPacing(const char* name, const std::vector<Clock::time_point>& starts) {
  if (starts.size() < 3) {
    std::printf("%-22s too few frames\n", name);
    return;
  }
  std::vector<double> phases;
  for (std::size_t k = 0; k < starts.size(); ++k) {
    phases.push_back(Milliseconds(starts[k] - starts.front() - kInterval * static_cast<long>(k)));
  }
  const double phase = Percentile(phases, 0.5);
  std::vector<double> deviations;
  for (double p : phases) {
    deviations.push_back(std::abs(p - phase));
  }
  const double span = Milliseconds(starts.back() - starts.front());
  std::printf("%-22s %8.3f %9.3f %9.3f %10.1f\n", name,
              1000.0 * static_cast<double>(starts.size() - 1) / span, Percentile(deviations, 0.99),
              Percentile(deviations, 1.0), phases.back());
}

// The loop that subtracts the frame's time from the interval and sleeps the rest.
std::vector<Clock::time_point> SleepForLoop(Clock::time_point end) {
  std::vector<Clock::time_point> starts;
  for (Clock::time_point start = Clock::now(); start < end; start = Clock::now()) {
    starts.push_back(start);
    std::this_thread::sleep_for(kFrameWork);
    std::this_thread::sleep_for(kInterval - (Clock::now() - start));
  }
  return starts;
}

// The loop that sleeps until fixed deadlines one interval apart.
std::vector<Clock::time_point> SleepUntilLoop(Clock::time_point end) {
  std::vector<Clock::time_point> starts;
  for (Clock::time_point deadline = Clock::now(); deadline < end; deadline += kInterval) {
    std::this_thread::sleep_until(deadline);
    starts.push_back(Clock::now());
    std::this_thread::sleep_for(kFrameWork);
  }
  return starts;
}

// Starts a session, lets it run into a different point of its frame cycle each time, and
// measures from the stop request to the end of the thread.
std::vector<double> StopLatencies() {
  std::vector<double> latencies;
  for (int i = 0; i < kStops; ++i) {
    vex::bench::BenchmarkSessionHost host("update_thread_bench", 8);
    FrameRecorder frames;
    vex::CServerSession session(host, frames);
    host.Start(session);
    std::this_thread::sleep_for(std::chrono::milliseconds(40 + (i * 7) % 33));
    const Clock::time_point request = Clock::now();
    session.Stop();
    latencies.push_back(Milliseconds(host.Stopped - request));
  }
  return latencies;
}

}  // namespace

int main(int argc, char** argv) {
  const int seconds = argc > 1 ? std::atoi(argv[1]) : 60;
  setenv("VEX_SIM_FRAME_MS", "5", 1);
  setenv("VEX_SIM_FRAME_TRACE", "1", 1);
  vex::bench::BenchmarkSessionHost host("update_thread_bench", 8);
  FrameRecorder frames;
  vex::CServerSession session(host, frames);
  host.Start(session);
  const Clock::time_point end = Clock::now() + std::chrono::seconds(seconds);
  std::vector<Clock::time_point> sleepFor;
  std::vector<Clock::time_point> sleepUntil;
  std::thread naive([&] { sleepFor = SleepForLoop(end); });
  std::thread deadlines([&] { sleepUntil = SleepUntilLoop(end); });
  std::this_thread::sleep_until(end);
  naive.join();
  deadlines.join();
  session.Stop();

  std::printf("%d s, frames of 5 ms, interval 33 ms (target rate %.3f)\n", seconds, 1000.0 / 33.0);
  std::printf("%-22s %8s %9s %9s %10s\n", "", "frames/s", "p99 dev", "worst dev", "drift ms");
  PrintPacing("update thread", frames.Starts);
  PrintPacing("sleep_for(33 - frame)", sleepFor);
  PrintPacing("sleep_until deadline", sleepUntil);

  const std::vector<double> stops = StopLatencies();
  std::printf(
      "stop request to thread end over %d stops: median %.3f ms, 99th pct %.3f ms "
      "(target: one frame of 5 ms + 1 ms)\n",
      kStops, Percentile(stops, 0.5), Percentile(stops, 0.99));
  return 0;
}
