// Peers that try to lock the operator out, guess the password, overrun the queue or read the
// protocol their own way, written here byte by byte against a real vexserver.
#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "remote/RconPacket.h"
#include "tests/remote/RconClient.h"
#include "tests/remote/RemoteServer.h"
#include "tests/support/WaitUntil.h"

namespace vex::test {
namespace {

using namespace std::chrono_literals;
using remote::EncodeRconPacket;
using remote::kRconAuth;
using remote::kRconExecCommand;
using remote::kRconResponseValue;

std::string Auth(const std::string& password, std::int32_t id = 1) {
  return EncodeRconPacket(id, kRconAuth, password);
}

class HostilePeers : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(server_.Start()); }

  // Whether the server closes the connection within the time, and what it sent before.
  static bool ClosesWithout(RconClient& client, std::chrono::milliseconds limit,
                            std::string* received = nullptr) {
    return WaitUntil(
        [&] {
          if (auto packet = client.Next(100ms); packet && received != nullptr) {
            *received += remote::EncodeRconPacket(packet->Id, packet->Type, packet->Body);
          }
          return client.Closed();
        },
        limit, 0ms);
  }

  NodeRun OperatorSignsIn() {
    return RunNodeScript("rcon.js", {"rcon-client", std::to_string(server_.RconPort()),
                                     RemoteServer::kPassword, "status"});
  }

  RemoteServer server_;
};

TEST_F(HostilePeers, SilentConnectionsNeitherHoldSlotsNorKeepTheOperatorOut) {
  std::vector<std::unique_ptr<RconClient>> silent;
  for (int i = 0; i < 8; ++i) {
    silent.push_back(std::make_unique<RconClient>(server_.RconPort()));
  }
  // The operator comes from the same address, as everyone behind a tunnel does.
  const NodeRun run = OperatorSignsIn();
  ASSERT_EQ(run.ExitCode, 0) << run.Output;
  EXPECT_NE(AnswerOf(run, "status").find("Vex Deathmatch"), std::string::npos) << run.Output;
  // And whoever did not sign in is gone after the deadline.
  for (auto& client : silent) {
    EXPECT_TRUE(ClosesWithout(*client, 10s));
  }
  EXPECT_TRUE(server_.Process().WaitForOutput("did not sign in in time", 1s) ||
              server_.Process().Output().find("made room for a new client") != std::string::npos)
      << server_.Process().Output();
}

// An admin tool, a monitoring script and a chat bot on one host: the host's cap is for clients
// that have not signed in yet, so signed-in ones count only towards the total.
TEST_F(HostilePeers, SignedInClientsOfOneHostAreLimitedOnlyByTheTotal) {
  std::vector<std::unique_ptr<RconClient>> tools;
  for (int i = 0; i < 4; ++i) {
    tools.push_back(std::make_unique<RconClient>(server_.RconPort()));
    tools.back()->Send(Auth(RemoteServer::kPassword, 10 + i));
    const auto verdict = tools.back()->Verdict();
    ASSERT_TRUE(verdict) << "client " << i;
    EXPECT_EQ(verdict->Id, 10 + i);
  }
  // Two strangers of the same host waiting to sign in take none of the tools' slots.
  RconClient waiting(server_.RconPort());
  RconClient alsoWaiting(server_.RconPort());
  for (std::size_t i = 0; i < tools.size(); ++i) {
    tools[i]->Send(EncodeRconPacket(20, kRconExecCommand, "/status"));
    const auto answer = tools[i]->Next();
    ASSERT_TRUE(answer) << "client " << i;
    EXPECT_NE(answer->Body.find("Vex Deathmatch"), std::string::npos) << answer->Body;
  }
  for (RconClient* stranger : {&waiting, &alsoWaiting}) {
    EXPECT_FALSE(stranger->Next(200ms));
    EXPECT_FALSE(stranger->Closed());
  }
}

TEST_F(HostilePeers, ABanReachesConnectionsOpenedBeforeItAndClosesWithoutTheWrongPasswordAnswer) {
  RconClient early(server_.RconPort());
  for (int i = 0; i < 5; ++i) {
    RconClient guesser(server_.RconPort());
    guesser.Send(Auth("guess" + std::to_string(i)));
    const auto refusal = guesser.Verdict();
    ASSERT_TRUE(refusal) << i;
    EXPECT_EQ(refusal->Id, remote::kRconAuthFailedId);
  }
  ASSERT_TRUE(server_.Process().WaitForOutput("The address is banned for 10 minutes.", 5s));
  // The right password on the connection opened before the ban: closed, no answer at all.
  early.Send(Auth(RemoteServer::kPassword));
  std::string received;
  EXPECT_TRUE(ClosesWithout(early, 5s, &received));
  EXPECT_EQ(received, "");
  EXPECT_TRUE(server_.Process().WaitForOutput("(address banned)", 5s));
  // A new connection from the banned address: closed at once, no answer either.
  RconClient late(server_.RconPort());
  received.clear();
  EXPECT_TRUE(ClosesWithout(late, 5s, &received));
  EXPECT_EQ(received, "");
}

TEST_F(HostilePeers, PacketOverTheLimitIsNamedOnTheConsole) {
  RconClient client(server_.RconPort());
  client.Send(Auth(RemoteServer::kPassword));
  ASSERT_TRUE(client.Verdict());
  // A size field of 5001: one byte past the largest packet is already too much.
  client.Send(std::string("\x89\x13\x00\x00", 4) + std::string(5001, 'x'));
  EXPECT_TRUE(ClosesWithout(client, 5s));
  EXPECT_TRUE(server_.Process().WaitForOutput("(packet larger than 4096 bytes)", 5s))
      << server_.Process().Output();
}

// Twenty commands in one write: reading pauses while sixteen wait, and every one is answered
// in order, the long one whole before the next, each end marker mirrored and then closed with
// the packet whose body is 00 01 00 00.
TEST_F(HostilePeers, CommandsWrittenAtOnceAreAllAnsweredInOrder) {
  RconClient client(server_.RconPort());
  std::string burst = Auth(RemoteServer::kPassword) +
                      EncodeRconPacket(2, kRconExecCommand, "cvarlist") +
                      EncodeRconPacket(3, kRconResponseValue, "");
  for (int id = 10; id < 30; ++id) {
    burst += EncodeRconPacket(id, kRconExecCommand, "say " + std::to_string(id));
  }
  client.Send(burst);
  const auto auth = client.Verdict();
  ASSERT_TRUE(auth);
  EXPECT_EQ(auth->Type, remote::kRconAuthResponse);
  std::string variables;
  std::optional<remote::RconPacket> next;
  while ((next = client.Next()) && next->Id == 2) {
    variables += next->Body;
  }
  EXPECT_GT(variables.size(), 6000u);
  EXPECT_NE(variables.find("ScoreValues[31]"), std::string::npos);
  ASSERT_TRUE(next);
  EXPECT_EQ(next->Id, 3);
  EXPECT_EQ(next->Body, "");
  next = client.Next();
  ASSERT_TRUE(next);
  EXPECT_EQ(next->Id, 3);
  EXPECT_EQ(next->Body, std::string("\0\1\0\0", 4));
  for (int id = 10; id < 30; ++id) {
    next = client.Next(10s);
    ASSERT_TRUE(next) << id;
    EXPECT_EQ(next->Id, id);
    EXPECT_NE(next->Body.find("Server: " + std::to_string(id)), std::string::npos) << next->Body;
  }
  EXPECT_EQ(server_.Process().Output().find("closed the connection"), std::string::npos);
}

TEST_F(HostilePeers, AClientThatShutsItsSendingSideStillGetsItsAnswers) {
  const int fd = socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in to{};
  to.sin_family = AF_INET;
  to.sin_port = htons(static_cast<std::uint16_t>(server_.RconPort()));
  to.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  ASSERT_EQ(connect(fd, reinterpret_cast<const sockaddr*>(&to), sizeof to), 0);
  const std::string request = Auth(RemoteServer::kPassword) +
                              EncodeRconPacket(2, kRconExecCommand, "say after shutdown") +
                              EncodeRconPacket(3, kRconResponseValue, "");
  ASSERT_EQ(send(fd, request.data(), request.size(), MSG_NOSIGNAL),
            static_cast<ssize_t>(request.size()));
  shutdown(fd, SHUT_WR);
  std::string received;
  char buffer[4096];
  pollfd watch{fd, POLLIN, 0};
  while (poll(&watch, 1, 10'000) > 0) {
    const ssize_t got = recv(fd, buffer, sizeof buffer, 0);
    if (got <= 0) {
      break;
    }
    received.append(buffer, static_cast<std::size_t>(got));
  }
  close(fd);
  // The auth response, the answer, the mirrored marker and the end packet, then the close.
  EXPECT_NE(received.find("Server: after shutdown"), std::string::npos) << received.size();
  EXPECT_EQ(received.substr(received.size() - 18),
            EncodeRconPacket(3, kRconResponseValue, std::string("\0\1\0\0", 4)));
}

// The query's raw datagrams: a challenge with bytes after it, and the bots the engine names.
TEST_F(HostilePeers, QueryReadsTheFirstFourBytesAsTheChallengeAndCountsBots) {
  ASSERT_TRUE(server_.Process().WaitForOutput("Cinder joined the game.", 10s));
  const int fd = socket(AF_INET, SOCK_DGRAM, 0);
  sockaddr_in to{};
  to.sin_family = AF_INET;
  to.sin_port = htons(static_cast<std::uint16_t>(server_.QueryPort()));
  to.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  const auto ask = [&](const std::string& datagram) {
    sendto(fd, datagram.data(), datagram.size(), 0, reinterpret_cast<const sockaddr*>(&to),
           sizeof to);
    pollfd watch{fd, POLLIN, 0};
    char buffer[1500];
    if (poll(&watch, 1, 3000) <= 0) {
      return std::string();
    }
    const ssize_t got = recv(fd, buffer, sizeof buffer, 0);
    return got > 0 ? std::string(buffer, static_cast<std::size_t>(got)) : std::string();
  };
  const std::string info =
      std::string("\xFF\xFF\xFF\xFFT", 5) + std::string("Source Engine Query\0", 20);
  const std::string challenge = ask(info);
  ASSERT_EQ(challenge.size(), 9u);
  ASSERT_EQ(challenge[4], 'A');
  const std::string answer = ask(info + challenge.substr(5, 4) + std::string(4, '\xFF'));
  close(fd);
  ASSERT_GT(answer.size(), 6u);
  EXPECT_EQ(answer[4], 'I');
  // After the four texts: application id (2 bytes), players, maximum, bots.
  std::size_t at = 6;
  for (int text = 0; text < 4; ++text) {
    at = answer.find('\0', at) + 1;
  }
  ASSERT_LT(at + 4, answer.size());
  EXPECT_EQ(static_cast<int>(answer[at + 2]), 3);
  EXPECT_EQ(static_cast<int>(answer[at + 4]), 3);
}

TEST(HostileNames, ServerNameCutBetweenCharactersOnTheQuery) {
  // 62 bytes, then a two-byte character that the 64-byte field (63 and its zero) would split.
  const std::string name = std::string(62, 'v') + "\xC3\xA9" + "tail";
  RemoteServer server({"-name", name});
  ASSERT_TRUE(server.Start());
  const NodeRun run = RunNodeScript(
      "query-clients.js", {"@fabricio-191/valve-server-query", std::to_string(server.QueryPort())});
  ASSERT_EQ(run.ExitCode, 0) << run.Output;
  EXPECT_NE(run.Output.find("name=" + std::string(62, 'v') + "\n"), std::string::npos)
      << run.Output;
}

}  // namespace
}  // namespace vex::test
