// Prints what one Prometheus scrape costs the window thread of a status window with 64 players
// on the real engine module (the console back-end), beside the web page's state, which the
// window builds once a second for an open page:
//   - the text of /metrics, built on the window thread (the figures, the histograms, /proc);
//   - the web page's state as JSON, from the same window;
//   - a whole scrape over loopback HTTP as a client sees it (both threads, the socket included).
// Target: a scrape under 1 ms.
#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <thread>

#include "framework/Application.h"
#include "framework/console/ConsoleBackEnd.h"
#include "tests/remote/HttpGet.h"
#include "tests/support/ScratchFolder.h"
#include "tests/support/UnusedPort.h"
#include "ui/ServerDlg.h"

namespace {

using Clock = std::chrono::steady_clock;
constexpr int kPlayers = 64;
constexpr int kCalls = 500;

// Team deathmatch: deathmatch allows 16 players at most.
constexpr const char* kConfiguration = R"([Settings]
ServName = "Metrics Bench"
GameType = 2

[Preferences]
PortID = 0

[TeamDeathmatch]
MaxTotalPlayers = 64
TimeLimit = 60
FragLimit = 0
Map00 = "Worlds\Multi\Arena"
Map01 = "Worlds\Multi\Foundry"
)";

// Microseconds per call over kCalls calls, the best of three rounds.
template <typename Call>
double MicrosecondsPerCall(Call call) {
  double best = 0.0;
  for (int round = 0; round < 3; ++round) {
    const Clock::time_point start = Clock::now();
    for (int i = 0; i < kCalls; ++i) {
      call();
    }
    const double each =
        std::chrono::duration<double, std::micro>(Clock::now() - start).count() / kCalls;
    best = round == 0 ? each : std::min(best, each);
  }
  return best;
}

bool PumpUntil(const auto& condition, std::chrono::seconds limit) {
  const auto deadline = Clock::now() + limit;
  while (!condition()) {
    if (Clock::now() > deadline) {
      return false;
    }
    vex::fw::PumpEvents(10);
  }
  return true;
}

// The game's console lines go to standard output; the figures go to `out`.
int Run(FILE* out) {
  vex::test::ScratchWorkingFolder folder;
  folder.Write("VexMod/ServerData/bench.txt", kConfiguration);
  const int port = vex::test::UnusedPort();
  setenv("VEX_SIM_BOTS", "64", 1);
  auto window = std::make_unique<vex::CServerDlg>(std::vector<std::string>{
      "vexserver", "-config", "bench", "-queryport", "0", "-metricsport", std::to_string(port)});
  window->Create();
  if (!PumpUntil([&] { return window->Display().PlayerCount == kPlayers; },
                 std::chrono::seconds(60))) {
    std::fprintf(out, "metrics_bench: %u players after a minute, not %d\n",
                 window->Display().PlayerCount, kPlayers);
    return 1;
  }
  std::size_t metricsBytes = 0;
  std::size_t jsonBytes = 0;
  // Remote administration as the window's own is, on the same window, without its services.
  vex::RemoteAdmin admin(*window);
  const double metrics = MicrosecondsPerCall([&] { metricsBytes = admin.MetricsText().size(); });
  const double json = MicrosecondsPerCall([&] { jsonBytes = admin.WebStateJson().size(); });

  std::atomic<bool> done{false};
  double scrape = 0.0;
  std::thread client([&] {
    scrape = MicrosecondsPerCall([&] { vex::test::HttpGet(port, "/metrics"); });
    done = true;
  });
  PumpUntil([&] { return done.load(); }, std::chrono::seconds(120));
  client.join();

  std::fprintf(out, "%d players, %d calls per figure, best of 3\n", kPlayers, kCalls);
  std::fprintf(out, "metrics text on the window thread:   %9.1f us  (%zu bytes)\n", metrics,
               metricsBytes);
  std::fprintf(out, "web page state JSON, same window:    %9.1f us  (%zu bytes)\n", json,
               jsonBytes);
  std::fprintf(out, "whole scrape over loopback HTTP:     %9.1f us\n", scrape);
  std::fprintf(out, "ratio metrics / JSON: %.2f; scrape %.3f ms (target < 1 ms)\n", metrics / json,
               scrape / 1000.0);
  window.reset();
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  vex::fw::ConsoleOptions options;
  options.ReadTerminal = false;
  options.CatchStopSignals = false;
  vex::fw::SetConsoleOptions(options);
  vex::fw::CWinApp app("VexServer");
  FILE* figures = fdopen(dup(STDOUT_FILENO), "w");
  const int quiet = open("/dev/null", O_WRONLY | O_CLOEXEC);
  dup2(quiet, STDOUT_FILENO);
  app.StartBackEnd(argc, argv, vex::fw::FrontEnd::Console);
  const int result = Run(figures);
  std::fclose(figures);
  app.StopBackEnd();
  return result;
}
