#pragma once

#include <cstdio>
#include <memory>
#include <vector>

#include "tools/vexclient/Player.h"

namespace vex::tools {

// What became of the players, and the round trips the server measured for them.
struct Summary {
  int Players = 0;
  int Joined = 0;
  int Refused[4] = {};  // by reason, in the order of gamenet::RefuseReason
  int NoAnswer = 0;
  int Kicked = 0;
  int TimedOut = 0;
  int ServerClosed = 0;
  std::vector<double> RoundTripsMs;

  int RefusedTotal() const { return Refused[0] + Refused[1] + Refused[2] + Refused[3]; }
  // Every player joined and none was dropped.
  bool Success() const {
    return Joined == Players && Kicked == 0 && TimedOut == 0 && ServerClosed == 0;
  }
};

Summary Summarise(const std::vector<std::unique_ptr<Player>>& players);
void PrintSummary(const Summary& summary, std::FILE* out);

}  // namespace vex::tools
