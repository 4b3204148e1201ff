// vexclient: real players for the bundled engine's game port, for tests and load.

#include <netdb.h>
#include <poll.h>
#include <signal.h>

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "tools/vexclient/ClientOptions.h"
#include "tools/vexclient/Player.h"
#include "tools/vexclient/Summary.h"

namespace {

using vex::tools::Clock;
using vex::tools::Player;

constexpr const char* kUsage =
    "Usage: vexclient [-n N] [--name PREFIX] [--password P] [--seconds S] [--chat] HOST:PORT\n"
    "       vexclient --help\n"
    "\n"
    "Runs N players (default 1, at most 500) against a server's game port, each on a UDP socket\n"
    "of its own, from one process. Each player proves its address, joins with the name PREFIX\n"
    "followed by its number (PREFIX alone when N is 1; default \"player\") and the join\n"
    "password P, answers the server's pings, and with --chat says a line every 5 seconds.\n"
    "After S seconds (0, the default: until Ctrl-C or SIGTERM), or once every player is done,\n"
    "the players that still play leave, and a summary follows: players joined, refused (by\n"
    "reason), without answer, kicked, timed out, dropped by a closing server, and the round\n"
    "trips that the server measured for them (min, median, 99th percentile, max).\n"
    "\n"
    "Each event prints a line as it happens, such as \"player 3 (player3): joined as client 7\".\n"
    "Exit code: 0 when every player joined and none was dropped, 1 otherwise, 2 for bad usage.\n";

volatile std::sig_atomic_t stopRequested = 0;

void RequestStop(int) {
  stopRequested = 1;
}

void InstallStopHandlers() {
  struct sigaction action {};
  action.sa_handler = RequestStop;
  sigemptyset(&action.sa_mask);
  sigaction(SIGINT, &action, nullptr);
  sigaction(SIGTERM, &action, nullptr);
}

bool Resolve(const std::string& host, int port, sockaddr_in& out, std::string& error) {
  addrinfo hints{};
  hints.ai_family = AF_INET;
  hints.ai_socktype = SOCK_DGRAM;
  addrinfo* found = nullptr;
  const int result = ::getaddrinfo(host.c_str(), nullptr, &hints, &found);
  if (result != 0 || found == nullptr) {
    error = ::gai_strerror(result);
    return false;
  }
  std::memcpy(&out, found->ai_addr, sizeof out);
  out.sin_port = htons(static_cast<std::uint16_t>(port));
  ::freeaddrinfo(found);
  return true;
}

std::string PlayerName(const std::string& prefix, int number, int count) {
  return count == 1 ? prefix : prefix + std::to_string(number);
}

bool AllFinished(const std::vector<std::unique_ptr<Player>>& players) {
  for (const auto& player : players) {
    if (!player->Finished()) {
      return false;
    }
  }
  return true;
}

void Play(std::vector<std::unique_ptr<Player>>& players, int seconds) {
  const auto end = Clock::now() + std::chrono::seconds(seconds);
  std::vector<pollfd> waiting;
  for (const auto& player : players) {
    waiting.push_back({player->Fd(), POLLIN, 0});
  }
  while (stopRequested == 0 && (seconds == 0 || Clock::now() < end) && !AllFinished(players)) {
    const int ready = ::poll(waiting.data(), waiting.size(), 50);
    const auto now = Clock::now();
    for (std::size_t i = 0; i < players.size(); ++i) {
      if (ready > 0 && (waiting[i].revents & POLLIN) != 0) {
        players[i]->OnReadable(now);
      }
      players[i]->Tick(now);
    }
  }
  for (const auto& player : players) {
    player->Leave();
  }
}

}  // namespace

int main(int argc, char** argv) {
  std::setvbuf(stdout, nullptr, _IOLBF, 0);
  std::string error;
  const auto options = vex::tools::ParseClientOptions(argc, argv, error);
  if (!options) {
    std::fprintf(stderr, "vexclient: %s\n\n%s", error.c_str(), kUsage);
    return 2;
  }
  if (options->Help) {
    std::fputs(kUsage, stdout);
    return 0;
  }
  sockaddr_in server{};
  if (!Resolve(options->Host, options->Port, server, error)) {
    std::fprintf(stderr, "vexclient: %s: %s\n", options->Host.c_str(), error.c_str());
    return 2;
  }
  std::vector<std::unique_ptr<Player>> players;
  for (int number = 1; number <= options->Players; ++number) {
    players.push_back(
        std::make_unique<Player>(number, PlayerName(options->NamePrefix, number, options->Players),
                                 options->Password, options->Chat));
    if (!players.back()->Open(server, error)) {
      std::fprintf(stderr, "vexclient: cannot open a socket for player %d: %s\n", number,
                   error.c_str());
      return 1;
    }
  }
  InstallStopHandlers();
  Play(players, options->Seconds);
  const vex::tools::Summary summary = vex::tools::Summarise(players);
  vex::tools::PrintSummary(summary, stdout);
  return summary.Success() ? 0 : 1;
}
