// The remote services' limits that the operator sets on the command line, taking effect in a real
// vexserver: the remote console's idle limit and the names the web page answers to.
#include <gtest/gtest.h>

#include <chrono>
#include <string>
#include <vector>

#include "remote/RconPacket.h"
#include "tests/remote/RconClient.h"
#include "tests/remote/RemoteServer.h"
#include "tests/support/UnusedPort.h"
#include "tests/support/WaitUntil.h"

namespace vex::test {
namespace {

using namespace std::chrono_literals;

TEST(RconIdleOption, ClosesASignedInClientThatStaysSilent) {
  RemoteServer server({"-rconidle", "1"});
  ASSERT_TRUE(server.Start());
  RconClient client(server.RconPort());
  client.Send(remote::EncodeRconPacket(1, remote::kRconAuth, RemoteServer::kPassword));
  std::optional<remote::RconPacket> answer = client.Next();
  while (answer && answer->Type != remote::kRconAuthResponse) {
    answer = client.Next();
  }
  ASSERT_TRUE(answer);
  ASSERT_EQ(answer->Id, 1);
  // Far sooner than the ten minutes that hold without the option.
  EXPECT_TRUE(WaitUntil([&] { return client.Closed(); }, 20s, 100ms,
                        [&](std::chrono::milliseconds pause) { client.Next(pause); }));
  EXPECT_TRUE(server.Process().WaitForOutput("(idle)", 5s)) << server.Process().Output();
}

// The status line of the answer to a GET of the page with this Host header.
std::string StatusFor(int port, const std::string& host) {
  LoopbackStream stream(port);
  stream.Send("GET / HTTP/1.1\r\nHost: " + host + "\r\nConnection: close\r\n\r\n");
  const std::string answer = stream.ReceiveUntilClosed();
  return answer.substr(0, answer.find("\r\n"));
}

struct HostCase {
  const char* Name;
  std::vector<std::string> Options;  // after -webport N
  std::string Host;
  const char* Status;
};

void PrintTo(const HostCase& row, std::ostream* out) {
  *out << row.Name;
}

class WebHostOption : public ::testing::TestWithParam<HostCase> {};

TEST_P(WebHostOption, PageAnswersOnlyTheNamesItWasGiven) {
  const int webPort = UnusedPort();
  std::vector<std::string> arguments{"-webport", std::to_string(webPort)};
  arguments.insert(arguments.end(), GetParam().Options.begin(), GetParam().Options.end());
  RemoteServer server(arguments);
  ASSERT_TRUE(server.Start());
  ASSERT_TRUE(server.Process().WaitForOutput("Web page: http://", 10s))
      << server.Process().Output();
  EXPECT_EQ(StatusFor(webPort, GetParam().Host), GetParam().Status);
}

INSTANTIATE_TEST_SUITE_P(
    Names, WebHostOption,
    ::testing::Values(HostCase{"NotGiven", {}, "vex.example", "HTTP/1.1 421 Misdirected Request"},
                      HostCase{
                          "Given", {"-webhost", "vex.example"}, "vex.example", "HTTP/1.1 200 OK"},
                      HostCase{"GivenInAListWithPort",
                               {"-webhost", "proxy.example,vex.example"},
                               "VEX.example:8443",
                               "HTTP/1.1 200 OK"},
                      HostCase{"GivenTwice",
                               {"-webhost", "proxy.example", "-webhost", "vex.example"},
                               "vex.example",
                               "HTTP/1.1 200 OK"},
                      HostCase{"OtherNameGiven",
                               {"-webhost", "proxy.example"},
                               "vex.example",
                               "HTTP/1.1 421 Misdirected Request"}),
    [](const auto& row) { return std::string(row.param.Name); });

}  // namespace
}  // namespace vex::test
