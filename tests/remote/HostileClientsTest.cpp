// Clients that do not play by the protocol, against a real vexserver: each is cut off without
// disturbing the server, which still serves a well-behaved client and stops cleanly.
#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>
#include <ostream>
#include <string>
#include <thread>
#include <vector>

#include "tests/remote/RemoteServer.h"
#include "tests/support/WaitUntil.h"

namespace vex::test {
namespace {

using namespace std::chrono_literals;

std::string Int32(std::int64_t value) {
  std::string out;
  for (int i = 0; i < 4; ++i) {
    out.push_back(static_cast<char>((static_cast<std::uint64_t>(value) >> (8 * i)) & 0xFF));
  }
  return out;
}

sockaddr_in Loopback(int port, const char* address = "127.0.0.1") {
  sockaddr_in to{};
  to.sin_family = AF_INET;
  to.sin_port = htons(static_cast<std::uint16_t>(port));
  inet_pton(AF_INET, address, &to.sin_addr);
  return to;
}

int ConnectTcp(int port) {
  const int fd = socket(AF_INET, SOCK_STREAM, 0);
  const sockaddr_in to = Loopback(port);
  if (connect(fd, reinterpret_cast<const sockaddr*>(&to), sizeof to) != 0) {
    close(fd);
    return -1;
  }
  return fd;
}

void Send(int fd, const std::string& bytes) {
  ASSERT_EQ(send(fd, bytes.data(), bytes.size(), MSG_NOSIGNAL), static_cast<ssize_t>(bytes.size()));
}

// Whether the server ends the connection within the time; what it sends before is read and
// dropped.
bool ClosedByServer(int fd, std::chrono::milliseconds limit) {
  return WaitUntil(
      [fd] {
        pollfd watch{fd, POLLIN, 0};
        if (poll(&watch, 1, 50) <= 0) {
          return false;
        }
        char buffer[4096];
        return recv(fd, buffer, sizeof buffer, 0) <= 0;
      },
      limit, 0ms);
}

class HostileClients : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(server_.Start()); }

  // A client that plays by the rules still gets its answer; the slots of connections that just
  // closed free up as the server sees them close, so it may take a few tries.
  void ExpectServedAndCleanStop() {
    NodeRun run;
    WaitUntil(
        [&] {
          run = RunNodeScript("rcon.js", {"rcon-client", std::to_string(server_.RconPort()),
                                          RemoteServer::kPassword, "status"});
          return run.ExitCode == 0;
        },
        15s, 0ms);
    EXPECT_NE(AnswerOf(run, "status").find("Vex Deathmatch"), std::string::npos) << run.Output;
    server_.Process().Write("/stop\n");
    // 2 is the operator's stop; a leak found under AddressSanitizer would change it.
    EXPECT_EQ(server_.Process().WaitForExit(20s), 2) << server_.Process().Errors();
  }

  RemoteServer server_;
};

struct BadStream {
  std::string Name;
  std::string Bytes;
};

void PrintTo(const BadStream& row, std::ostream* out) {
  *out << row.Name;
}

class MalformedStreams : public HostileClients, public ::testing::WithParamInterface<BadStream> {};

TEST_P(MalformedStreams, CloseTheConnection) {
  const int fd = ConnectTcp(server_.RconPort());
  ASSERT_GE(fd, 0);
  Send(fd, GetParam().Bytes);
  EXPECT_TRUE(ClosedByServer(fd, 10s));
  close(fd);
  ExpectServedAndCleanStop();
}

INSTANTIATE_TEST_SUITE_P(
    Rcon, MalformedStreams,
    ::testing::Values(BadStream{"HttpRequest", "GET / HTTP/1.1\r\nHost: localhost\r\n\r\n"},
                      BadStream{"TwoGigabyteLength", Int32(0x7FFFFFFF) + Int32(1) + Int32(3)},
                      BadStream{"NegativeLength", Int32(-20) + std::string(20, 'x')},
                      BadStream{"UnknownType",
                                Int32(10) + Int32(1) + Int32(9) + std::string(2, '\0')},
                      BadStream{"CommandBeforeSigningIn",
                                Int32(16) + Int32(1) + Int32(2) + std::string("status\0\0", 8)}),
    [](const auto& row) { return row.param.Name; });

TEST_F(HostileClients, OneByteASecondHoldsNothingUp) {
  const int slow = ConnectTcp(server_.RconPort());
  ASSERT_GE(slow, 0);
  const std::string auth = Int32(10 + 6) + Int32(1) + Int32(3) + std::string("s3cret\0\0", 8);
  for (std::size_t i = 0; i < 3; ++i) {
    Send(slow, auth.substr(i, 1));
    const NodeRun meanwhile = RunNodeScript(
        "rcon.js",
        {"rcon-srcds", std::to_string(server_.RconPort()), RemoteServer::kPassword, "/status"});
    EXPECT_EQ(meanwhile.ExitCode, 0) << meanwhile.Output;
    std::this_thread::sleep_for(1s);
  }
  close(slow);
  ExpectServedAndCleanStop();
}

TEST_F(HostileClients, HundredConnectionsAtOnceGetEightSlots) {
  std::vector<int> sockets;
  for (int i = 0; i < 100; ++i) {
    sockets.push_back(ConnectTcp(server_.RconPort()));
  }
  // Looks at each socket in turn until all but the 8 served are closed or time is up.
  std::vector<bool> isClosed(sockets.size(), false);
  int closed = 0;
  WaitUntil(
      [&] {
        for (std::size_t i = 0; i < sockets.size(); ++i) {
          if (!isClosed[i] && (sockets[i] < 0 || ClosedByServer(sockets[i], 10ms))) {
            isClosed[i] = true;
            ++closed;
          }
        }
        return closed >= 92;
      },
      20s, 0ms);
  EXPECT_GE(closed, 92);
  for (int fd : sockets) {
    if (fd >= 0) {
      close(fd);
    }
  }
  ExpectServedAndCleanStop();
}

TEST_F(HostileClients, QueryFloodFromManyAddressesIsNotAmplified) {
  const std::string kInfo =
      std::string("\xFF\xFF\xFF\xFFT", 5) + std::string("Source Engine Query\0", 20);
  const std::string kPlayers = std::string("\xFF\xFF\xFF\xFFU", 5) + Int32(0x1234);
  std::vector<int> sockets;
  std::size_t sent = 0;
  for (int host = 2; host < 102; ++host) {
    const int fd = socket(AF_INET, SOCK_DGRAM, 0);
    const std::string address = "127.0.0." + std::to_string(host);
    const sockaddr_in from = Loopback(0, address.c_str());
    ASSERT_EQ(bind(fd, reinterpret_cast<const sockaddr*>(&from), sizeof from), 0) << address;
    sockets.push_back(fd);
  }
  const sockaddr_in to = Loopback(server_.QueryPort());
  for (int round = 0; round < 25; ++round) {
    for (int fd : sockets) {
      for (const std::string* query : {&kInfo, &kPlayers}) {
        sendto(fd, query->data(), query->size(), 0, reinterpret_cast<const sockaddr*>(&to),
               sizeof to);
        sent += query->size();
      }
    }
  }
  std::size_t received = 0;
  std::size_t notChallenges = 0;
  std::vector<pollfd> watch;
  for (int fd : sockets) {
    watch.push_back({fd, POLLIN, 0});
  }
  const auto readAnswers = [&](std::chrono::milliseconds pause) {
    if (poll(watch.data(), watch.size(), static_cast<int>(pause.count())) <= 0) {
      return;
    }
    for (const pollfd& entry : watch) {
      char buffer[2048];
      const ssize_t got =
          (entry.revents & POLLIN) != 0 ? recv(entry.fd, buffer, sizeof buffer, 0) : -1;
      if (got > 0) {
        received += static_cast<std::size_t>(got);
        notChallenges += got < 5 || buffer[4] != 'A' ? 1 : 0;
      }
    }
  };
  // Whatever comes back within two seconds.
  WaitUntil([] { return false; }, 2s, 100ms, readAnswers);
  for (int fd : sockets) {
    close(fd);
  }
  EXPECT_GT(received, 0u);
  EXPECT_LE(received, sent);
  EXPECT_EQ(notChallenges, 0u);
  // A browser that proves its address still gets the full answer.
  const NodeRun query = RunNodeScript("query.mjs", {std::to_string(server_.QueryPort())});
  EXPECT_NE(query.Output.find("name=Vex Deathmatch\n"), std::string::npos) << query.Output;
  ExpectServedAndCleanStop();
}

}  // namespace
}  // namespace vex::test
