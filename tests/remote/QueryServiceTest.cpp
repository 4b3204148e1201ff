// The server query on a real socket with a stand-in host whose players and rules take more than
// one datagram, read by third-party clients that join the parts of a split answer.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <chrono>
#include <future>
#include <string>

#include "services/QueryService.h"
#include "tests/remote/NetworkServiceTest.h"
#include "tests/remote/RemoteServer.h"

namespace vex::services {
namespace {

using namespace std::chrono_literals;

class CrowdedHost final : public IRemoteHost {
 public:
  void RunRemoteCommand(const std::string&, const std::string&,
                        std::function<void(remote::CommandOutput)> done) override {
    done({});
  }
  remote::A2sStatus QueryStatus() override {
    remote::A2sStatus status;
    status.Name = "Crowded";
    status.Map = "Arena";
    status.MaxPlayers = 64;
    for (int i = 0; i < 64; ++i) {
      status.Players.push_back({"player " + std::to_string(i) + std::string(20, '_'), i, 1.0f});
    }
    for (int i = 0; i < 120; ++i) {
      status.Rules.emplace_back("Rule" + std::to_string(i), "value of rule " + std::to_string(i));
    }
    return status;
  }
  void ReportRemoteEvent(std::string_view) override {}
};

class QueryServiceTest : public test::NetworkServiceTest {};

TEST_F(QueryServiceTest, PlayersAndRulesOverADatagramReachThirdPartyClientsWhole) {
  CrowdedHost host;
  QueryService service(host, QuerySettings{"127.0.0.1", 0, {}});
  std::string error;
  ASSERT_TRUE(service.Start(error)) << error;
  for (const std::string client : {"gamedig", "@fabricio-191/valve-server-query"}) {
    auto run = std::async(std::launch::async, [&] {
      return test::RunNodeScript("query-clients.js", {client, std::to_string(service.Port())});
    });
    while (run.wait_for(0ms) != std::future_status::ready) {
      QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    }
    const test::NodeRun result = run.get();
    ASSERT_EQ(result.ExitCode, 0) << client << ": " << result.Output;
    for (int i = 0; i < 64; ++i) {
      EXPECT_NE(result.Output.find("player=player " + std::to_string(i) + std::string(20, '_') +
                                   " score=" + std::to_string(i) + "\n"),
                std::string::npos)
          << client << ", player " << i << ": " << result.Output;
    }
    for (int i = 0; i < 120; ++i) {
      EXPECT_NE(result.Output.find("rule=Rule" + std::to_string(i) + ":value of rule " +
                                   std::to_string(i) + "\n"),
                std::string::npos)
          << client << ", rule " << i << ": " << result.Output;
    }
  }
}

}  // namespace
}  // namespace vex::services
