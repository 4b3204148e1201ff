#pragma once

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string_view>

#include "res/Resource.h"
#include "session/GameHost.h"
#include "session/ServerSession.h"

namespace vex::bench {

// The one-level deathmatch that the session benchmarks host on the real engine module.
inline int HostBenchmarkGame(IServerEngine& engine, int maxPlayers) {
  CGameOptions block{};
  block.GameType = 1;
  block.MaxTotalPlayers = maxPlayers;
  block.MapCount = 1;
  std::strcpy(block.Maps[0], "Worlds\\Multi\\Arena");
  return HostPreparedGame(engine, block, "Benchmark");
}

// The session's host in a benchmark: it hosts the benchmark game and notes when the session says
// it stopped. An error report ends the program, since no figure after it would mean anything.
class BenchmarkSessionHost final : public ISessionHost {
 public:
  BenchmarkSessionHost(const char* program, int maxPlayers)
      : program_(program), maxPlayers_(maxPlayers) {}

  std::chrono::steady_clock::time_point Stopped;

  void PrintConsoleLineById(int stringId) override {
    if (stringId == res::IDS_STOPPED) {
      Stopped = std::chrono::steady_clock::now();
    }
  }
  void PrintConsoleText(std::string_view) override {}
  void ReportError(int stringId) override {
    std::fprintf(stderr, "%s: the session reported error %d\n", program_, stringId);
    std::exit(1);
  }
  int SetUpGameHost(IServerEngine& engine) override {
    return HostBenchmarkGame(engine, maxPlayers_);
  }
  void StartRefreshTimer() override {}
  void ResetTracking() override {}
  void DropRoster() override {}

  // Initialises and starts the session, or ends the program.
  void Start(CServerSession& session) const {
    if (!session.Initialise() || !session.Start()) {
      std::fprintf(stderr, "%s: the session did not start\n", program_);
      std::exit(1);
    }
  }

 private:
  const char* program_;
  int maxPlayers_;
};

}  // namespace vex::bench
