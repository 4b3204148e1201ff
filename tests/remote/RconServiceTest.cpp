// The remote console service on a real socket with a host that answers at once, for what the
// process tests cannot show in their time: the order of answers and end markers, long answers
// in packets (also as an npm client reads them), and the idle limit (set short here).
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <atomic>
#include <chrono>
#include <future>
#include <string>
#include <thread>

#include "remote/RconPacket.h"
#include "services/RconService.h"
#include "tests/remote/NetworkServiceTest.h"
#include "tests/remote/RconClient.h"
#include "tests/remote/RemoteServer.h"

namespace vex::services {
namespace {

using namespace std::chrono_literals;

class EchoHost final : public IRemoteHost {
 public:
  void RunRemoteCommand(const std::string& line, const std::string&,
                        std::function<void(remote::CommandOutput)> done) override {
    done({line == "long" ? LongAnswer() : "echo " + line + "\n"});
  }
  remote::A2sStatus QueryStatus() override { return {}; }
  void ReportRemoteEvent(std::string_view) override {}

  static std::string LongAnswer() {
    std::string text;
    for (int i = 0; text.size() < 9000; ++i) {
      text += "row " + std::to_string(i) + "\n";
    }
    return text;
  }
};

using Client = test::RconClient;

class RconServiceTest : public test::NetworkServiceTest {
 protected:
  void Start(int idleTimeoutMs) {
    RconSettings settings;
    settings.Password = "pw";
    settings.BindAddress = "127.0.0.1";
    settings.SignInTimeoutMs = idleTimeoutMs;
    settings.IdleTimeoutMs = idleTimeoutMs;
    service_ = std::make_unique<RconService>(host_, settings);
    std::string error;
    ASSERT_TRUE(service_->Start(error)) << error;
  }

  // Runs the event loop until the client's work on its thread is done.
  template <class Work>
  void WithClient(Work work) {
    auto done = std::async(std::launch::async, [&] { work(Client(service_->Port())); });
    while (done.wait_for(0ms) != std::future_status::ready) {
      QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    }
    done.get();
  }

  EchoHost host_;
  std::unique_ptr<RconService> service_;
};

std::string Packet(std::int32_t id, std::int32_t type, const std::string& body) {
  return remote::EncodeRconPacket(id, type, body);
}

TEST_F(RconServiceTest, AnswersInOrderWithLongAnswersInPacketsBeforeTheEndMarker) {
  Start(60'000);
  WithClient([](Client client) {
    // Everything at once, as a client that uses the end marker sends it.
    client.Send(Packet(1, remote::kRconAuth, "pw") + Packet(2, remote::kRconExecCommand, "long") +
                Packet(3, remote::kRconResponseValue, "") +
                Packet(4, remote::kRconExecCommand, "short"));
    // The sign-in is answered as the reference servers answer it: an empty response value, then
    // the verdict.
    const auto empty = client.Next();
    ASSERT_TRUE(empty);
    EXPECT_EQ(empty->Id, 1);
    EXPECT_EQ(empty->Type, remote::kRconResponseValue);
    EXPECT_EQ(empty->Body, "");
    const auto auth = client.Next();
    ASSERT_TRUE(auth);
    EXPECT_EQ(auth->Id, 1);
    EXPECT_EQ(auth->Type, remote::kRconAuthResponse);
    std::string answer;
    int packets = 0;
    std::optional<remote::RconPacket> next;
    while ((next = client.Next()) && next->Id == 2) {
      EXPECT_EQ(next->Type, remote::kRconResponseValue);
      EXPECT_LE(next->Body.size(), remote::kRconAnswerBody);
      answer += next->Body;
      ++packets;
    }
    EXPECT_EQ(answer, EchoHost::LongAnswer());
    EXPECT_EQ(packets, 3);
    ASSERT_TRUE(next);
    EXPECT_EQ(next->Id, 3);
    EXPECT_EQ(next->Body, "");
    const auto ending = client.Next();
    ASSERT_TRUE(ending);
    EXPECT_EQ(ending->Id, 3);
    EXPECT_EQ(ending->Body, std::string("\0\1\0\0", 4));
    const auto last = client.Next();
    ASSERT_TRUE(last);
    EXPECT_EQ(last->Id, 4);
    EXPECT_EQ(last->Body, "echo short\n");
  });
}

// The packets of a long answer go out at once. rcon-client keeps the first packet of an answer
// only, and the next command still gets its own answer.
TEST_F(RconServiceTest, LongAnswerReachesAnNpmClientAndTheNextCommandGetsItsOwn) {
  Start(60'000);
  for (const std::string client : {"rcon-client"}) {
    auto run = std::async(std::launch::async, [&] {
      return vex::test::RunNodeScript(
          "rcon.js", {client, std::to_string(service_->Port()), "pw", "long", "short"});
    });
    while (run.wait_for(0ms) != std::future_status::ready) {
      QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    }
    const vex::test::NodeRun result = run.get();
    ASSERT_EQ(result.ExitCode, 0) << client << ": " << result.Output;
    const std::string first = remote::SplitRconAnswer(EchoHost::LongAnswer()).front();
    EXPECT_EQ(vex::test::AnswerOf(result, "long").substr(0, first.size()), first) << client;
    EXPECT_EQ(vex::test::AnswerOf(result, "short"), "echo short\n") << client;
  }
}

TEST_F(RconServiceTest, SilentAndTricklingClientsAreDroppedAfterTheIdleLimit) {
  Start(300);
  WithClient([](Client client) {
    EXPECT_FALSE(client.Next(3s));
    EXPECT_TRUE(client.Closed());
  });
  WithClient([](Client client) {
    // Bytes that never make a whole packet are no activity: a byte every 50 ms for five times
    // the limit still ends in the close.
    const std::string large = Packet(1, remote::kRconAuth, std::string(4000, 'p'));
    for (std::size_t i = 0; i < 30 && !client.Closed(); ++i) {
      client.Send(large.substr(i, 1));
      client.Next(50ms);
    }
    EXPECT_TRUE(client.Closed());
  });
}

}  // namespace
}  // namespace vex::services
