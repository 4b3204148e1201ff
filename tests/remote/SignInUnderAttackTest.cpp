// Strangers from many addresses guessing the password and the metrics' token as fast as the
// server lets them, each address too seldom to be banned: they spend the sign-in budget of their
// network, and the operator, who signed in before from their own address, still gets in to the
// remote console, the web page and the metrics at the first try. The console tells the flood in
// a few lines a second.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <atomic>
#include <chrono>
#include <fstream>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "remote/RconPacket.h"
#include "tests/remote/LoopbackStream.h"
#include "tests/remote/RconClient.h"
#include "tests/remote/RemoteServer.h"
#include "tests/support/ScratchFolder.h"
#include "tests/support/UnusedPort.h"
#include "tests/support/WaitUntil.h"

namespace vex::test {
namespace {

using namespace std::chrono_literals;

constexpr const char* kToken = "metrics token";
// RemoteServer::kPassword as a form field.
constexpr const char* kPasswordField = "s3cret%20%25n";
// However the machine is loaded, the attack ends within this.
constexpr auto kLongestAttack = 60s;

// The n-th address of 127.0.0.0/8 after 127.1.1.1, none of them 127.0.0.1.
std::string StrangerAddress(int n) {
  return "127." + std::to_string(1 + n / 62'500 % 250) + "." + std::to_string(1 + n / 250 % 250) +
         "." + std::to_string(1 + n % 250);
}

std::string LoginRequest(int port, const std::string& passwordField) {
  const std::string body = "password=" + passwordField;
  return "POST /login HTTP/1.1\r\nHost: 127.0.0.1:" + std::to_string(port) +
         "\r\nOrigin: http://127.0.0.1:" + std::to_string(port) +
         "\r\nContent-Type: application/x-www-form-urlencoded\r\nContent-Length: " +
         std::to_string(body.size()) + "\r\n\r\n" + body;
}

std::string ScrapeRequest(const std::string& token) {
  return "GET /metrics HTTP/1.1\r\nHost: 127.0.0.1\r\nAuthorization: Bearer " + token + "\r\n\r\n";
}

std::string Exchange(int port, const std::string& request, const char* from = nullptr) {
  LoopbackStream stream(port, from);
  stream.Send(request);
  return stream.ReceiveUntilClosed();
}

std::string StatusLine(const std::string& answer) {
  return answer.substr(0, answer.find("\r\n"));
}

// Whether the right password signs in on the remote console from the address.
bool RconSignsIn(int port, const char* from = nullptr) {
  RconClient client(port, from);
  client.Send(remote::EncodeRconPacket(7, remote::kRconAuth, RemoteServer::kPassword));
  const auto verdict = client.Verdict();
  return verdict && verdict->Type == remote::kRconAuthResponse && verdict->Id == 7;
}

std::size_t Count(const std::string& text, const std::string& part) {
  std::size_t count = 0;
  for (std::size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) {
    ++count;
  }
  return count;
}

class SignInUnderAttack : public ::testing::Test {
 protected:
  SignInUnderAttack() {
    const auto tokenFile = folder_.Path() / "metrics.token";
    std::ofstream(tokenFile) << kToken << "\n";
    chmod(tokenFile.c_str(), 0600);
    server_.emplace(std::vector<std::string>{"-webport", std::to_string(webPort_), "-metricsport",
                                             std::to_string(metricsPort_), "-metricstoken-file",
                                             tokenFile.string()});
  }

  ~SignInUnderAttack() override { StopAttack(); }

  // One thread per service, each guess from an address not used before.
  void StartAttack() {
    const int rconPort = server_->RconPort();
    const std::vector<std::function<void(const char*)>> guesses{
        [rconPort](const char* from) {
          RconClient client(rconPort, from);
          client.Send(remote::EncodeRconPacket(1, remote::kRconAuth, "guess"));
          while (client.Next(2s)) {
          }
        },
        [this](const char* from) { Exchange(webPort_, LoginRequest(webPort_, "guess"), from); },
        [this](const char* from) { Exchange(metricsPort_, ScrapeRequest("guess"), from); },
    };
    const auto started = std::chrono::steady_clock::now();
    for (std::size_t i = 0; i < guesses.size(); ++i) {
      attackers_.emplace_back([this, i, guess = guesses[i], started] {
        for (int n = static_cast<int>(i) * 1'000'000;
             !stop_ && std::chrono::steady_clock::now() - started < kLongestAttack; ++n) {
          guess(StrangerAddress(n).c_str());
          ++guessed_;
        }
      });
    }
  }

  void StopAttack() {
    stop_ = true;
    for (std::thread& attacker : attackers_) {
      attacker.join();
    }
    attackers_.clear();
  }

  ScratchFolder folder_;
  int webPort_ = UnusedPort();
  int metricsPort_ = UnusedPort();
  std::optional<RemoteServer> server_;
  std::vector<std::thread> attackers_;
  std::atomic<bool> stop_ = false;
  std::atomic<int> guessed_ = 0;
};

TEST_F(SignInUnderAttack, TheOperatorGetsInToEveryServiceAtTheFirstTry) {
  ASSERT_TRUE(server_->Start());
  ChildProcess& server = server_->Process();
  ASSERT_TRUE(server.WaitForOutput("/metrics", 10s)) << server.Output();
  // The operator's usual day: signed in from this address before.
  ASSERT_TRUE(RconSignsIn(server_->RconPort()));
  ASSERT_EQ(StatusLine(Exchange(webPort_, LoginRequest(webPort_, kPasswordField))),
            "HTTP/1.1 303 See Other");
  ASSERT_EQ(StatusLine(Exchange(metricsPort_, ScrapeRequest(kToken))), "HTTP/1.1 200 OK");

  StartAttack();
  // The attack works: a stranger with the right secrets is told the server is busy.
  int fresh = 5'000'000;
  std::string busyPage;
  std::string busyScrape;
  const auto strangerTurnedAway = [&] {
    const std::string from = StrangerAddress(++fresh);
    busyPage = Exchange(webPort_, LoginRequest(webPort_, kPasswordField), from.c_str());
    busyScrape = Exchange(metricsPort_, ScrapeRequest(kToken), from.c_str());
    server.Collect(10ms);
    return StatusLine(busyPage) == "HTTP/1.1 503 Service Unavailable" &&
           StatusLine(busyScrape) == "HTTP/1.1 503 Service Unavailable" &&
           !RconSignsIn(server_->RconPort(), from.c_str());
  };
  ASSERT_TRUE(WaitUntil(strangerTurnedAway, 30s, 0ms)) << busyPage << busyScrape;
  EXPECT_NE(busyPage.find("The server is busy. Try again in a moment."), std::string::npos)
      << busyPage;
  EXPECT_EQ(busyPage.find("wrong password"), std::string::npos) << busyPage;

  // The operator, meanwhile: each at the first try.
  EXPECT_TRUE(RconSignsIn(server_->RconPort()));
  EXPECT_EQ(StatusLine(Exchange(webPort_, LoginRequest(webPort_, kPasswordField))),
            "HTTP/1.1 303 See Other");
  const std::string scrape = Exchange(metricsPort_, ScrapeRequest(kToken));
  EXPECT_EQ(StatusLine(scrape), "HTTP/1.1 200 OK") << scrape;
  EXPECT_NE(scrape.find("vexserver_players "), std::string::npos);

  // Each kind of line a stranger causes is shown once a second and the rest summed up.
  EXPECT_TRUE(server.CollectUntil(
      [&] {
        return server.Output().find("RCON: closed the connection of 127.") != std::string::npos &&
               server.Output().find("more closed connections in the last second.") !=
                   std::string::npos &&
               server.Output().find("more wrong passwords in the last second.") !=
                   std::string::npos;
      },
      20s))
      << server.Output();
  StopAttack();
  const std::string output = server.Output();
  const std::size_t strangerLines =
      Count(output, "RCON: wrong password from") + Count(output, "RCON: closed the connection of") +
      Count(output, "Web page: wrong password from") + Count(output, "Metrics: wrong token from");
  EXPECT_LT(strangerLines, static_cast<std::size_t>(guessed_.load()) / 2) << output;
  EXPECT_EQ(output.find("banned"), std::string::npos) << output;
}

}  // namespace
}  // namespace vex::test
