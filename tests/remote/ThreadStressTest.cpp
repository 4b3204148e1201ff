// Every thread of the server busy at once for several seconds: engine frames with bots and real
// players, their game messages and the engine's console output, the status refresh, the
// operator's Send, Next Level, Select Level and Boot Player, server queries, remote console
// commands, and web pages that log in, follow the event stream, send commands and log out with
// the stream open; at the end a stop from the web page. Under ThreadSanitizer
// (`make test-threads`) the first report ends the server (halt_on_error), which the test sees as
// a wrong exit and the report on standard error.
#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <cstdint>
#include <future>
#include <limits>
#include <optional>
#include <regex>
#include <string>
#include <thread>
#include <vector>

#include "remote/RconPacket.h"
#include "tests/remote/RconClient.h"
#include "tests/remote/RemoteServer.h"
#include "tests/remote/WebClient.h"
#include "tests/support/ChildProcess.h"
#include "tests/support/UnusedPort.h"

namespace vex {
namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

constexpr auto kStorm = 5s;

// Asks the server query for its info as a browser does, answering a challenge; true when the
// info came.
bool AskInfo(int port) {
  const int fd = socket(AF_INET, SOCK_DGRAM, 0);
  sockaddr_in to{};
  to.sin_family = AF_INET;
  to.sin_port = htons(static_cast<std::uint16_t>(port));
  to.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  std::string request =
      std::string("\xFF\xFF\xFF\xFFT", 5) + std::string("Source Engine Query\0", 20);
  bool answered = false;
  for (int attempt = 0; attempt < 2 && !answered; ++attempt) {
    sendto(fd, request.data(), request.size(), 0, reinterpret_cast<const sockaddr*>(&to),
           sizeof to);
    pollfd watch{fd, POLLIN, 0};
    char reply[1500];
    if (poll(&watch, 1, 1000) <= 0) {
      break;
    }
    const ssize_t got = recv(fd, reply, sizeof reply, 0);
    if (got >= 9 && reply[4] == 'A') {
      request.append(reply + 5, 4);
    } else {
      answered = got > 5 && reply[4] == 'I';
    }
  }
  close(fd);
  return answered;
}

// One remote console connection that logs in and runs commands in turn, until told to stop or
// `most` are answered; the number answered.
int RunRconCommands(int port, const std::atomic<bool>& stop, int most) {
  test::RconClient client(port);
  client.Send(remote::EncodeRconPacket(1, remote::kRconAuth, test::RemoteServer::kPassword));
  std::optional<remote::RconPacket> login;
  do {
    login = client.Next();
  } while (login && login->Type != remote::kRconAuthResponse);
  if (!login || login->Id != 1) {
    return 0;
  }
  const std::vector<std::string> commands{"status", "/players", "/levels", "/next", "/status"};
  int answered = 0;
  for (std::int32_t id = 2; !stop && answered < most; ++id) {
    client.Send(remote::EncodeRconPacket(id, remote::kRconExecCommand,
                                         commands[static_cast<std::size_t>(id) % commands.size()]));
    std::optional<remote::RconPacket> answer;
    do {
      answer = client.Next();
    } while (answer && answer->Id != id);
    if (!answer) {
      break;
    }
    ++answered;
  }
  return answered;
}

struct WebRounds {
  int Answered = 0;      // commands answered
  int StreamsEnded = 0;  // log-outs that ended the open stream
};

// A page that logs in, opens its event stream, sends a command and logs out with the stream open,
// again and again until told to stop.
WebRounds RunWebPages(int port, const std::atomic<bool>& stop) {
  const std::vector<std::string> commands{"/players", "status", "/status", "/levels"};
  WebRounds rounds;
  for (std::size_t n = 0; !stop; ++n) {
    test::WebClient page(port);
    if (!page.LogIn(test::RemoteServer::kPassword) || !page.OpenStream()) {
      break;
    }
    rounds.Answered += page.Command(commands[n % commands.size()]) ? 1 : 0;
    if (!page.LogOut()) {
      break;
    }
    rounds.StreamsEnded += page.StreamEnds() ? 1 : 0;
  }
  return rounds;
}

TEST(ThreadStress, EverythingAtOnceForSecondsThenTheServerStillAnswersAndStopsFromAfar) {
  const int webPort = test::UnusedPort();
  test::RemoteServer server({"-webport", std::to_string(webPort)});
  ASSERT_TRUE(server.Start());
  test::ChildProcess& process = server.Process();
  std::smatch hosting;
  const std::string output = process.Output();
  ASSERT_TRUE(std::regex_search(output, hosting, std::regex(R"(on UDP port (\d+) for up to)")))
      << output;
  test::ChildProcess players(std::string(VEX_BIN_DIR) + "/vexclient",
                             {"-n", "6", "--chat", "--seconds", "7", "127.0.0.1:" + hosting.str(1)},
                             VEX_BIN_DIR);

  std::atomic<bool> stop{false};
  std::atomic<int> infoAnswers{0};
  // Within the query's rate limit per address, so that the answers show it still serves.
  std::thread queries([&] {
    while (!stop) {
      infoAnswers += AskInfo(server.QueryPort()) ? 1 : 0;
      std::this_thread::sleep_for(60ms);
    }
  });
  std::vector<std::future<WebRounds>> pages;
  for (int n = 0; n < 2; ++n) {
    pages.push_back(std::async(std::launch::async, RunWebPages, webPort, std::cref(stop)));
  }
  std::vector<std::future<int>> consoles;
  for (int n = 0; n < 2; ++n) {
    consoles.push_back(std::async(std::launch::async, RunRconCommands, server.RconPort(),
                                  std::cref(stop), std::numeric_limits<int>::max()));
  }
  // The operator at the terminal: game console commands (Send), the next level, a level by its
  // row, booting bots by id and network players by name, and the server's own lists, which read
  // what the refresh writes.
  const std::vector<std::string> typed{"status",    "/next",         "/level 2", "/boot 3",
                                       "say hello", "/players",      "/level 0", "/boot player2",
                                       "/levels",   "/boot player5", "/status"};
  const auto end = Clock::now() + kStorm;
  for (std::size_t n = 0; Clock::now() < end; ++n) {
    process.Write(typed[n % typed.size()] + "\n");
    process.Collect(100ms);
  }
  stop = true;
  queries.join();
  for (auto& console : consoles) {
    EXPECT_GT(console.get(), 0);
  }
  for (auto& page : pages) {
    const WebRounds rounds = page.get();
    EXPECT_GT(rounds.Answered, 0);
    EXPECT_GT(rounds.StreamsEnded, 0);
  }
  EXPECT_GT(infoAnswers, 0);
  EXPECT_NE(players.WaitForExit(20s), -1) << players.Output();
  EXPECT_NE(players.Output().find("joined as client"), std::string::npos) << players.Output();
  // Still serving: the window thread answers a remote command, the query answers a browser, and
  // a page that follows the stream stops the server.
  const std::atomic<bool> goOn{false};
  EXPECT_EQ(RunRconCommands(server.RconPort(), goOn, 1), 1);
  EXPECT_TRUE(AskInfo(server.QueryPort()));
  test::WebClient page(webPort);
  ASSERT_TRUE(page.LogIn(test::RemoteServer::kPassword));
  ASSERT_TRUE(page.OpenStream());
  const std::optional<std::string> stopping = page.Command("/stop");
  ASSERT_TRUE(stopping);
  EXPECT_NE(stopping->find("\"answer\":\"Stopping the server.\\n\""), std::string::npos)
      << *stopping;
  EXPECT_EQ(process.WaitForExit(30s), 2) << process.Errors();
  EXPECT_EQ(process.Errors().find("ThreadSanitizer"), std::string::npos) << process.Errors();
}

}  // namespace
}  // namespace vex
