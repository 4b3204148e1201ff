// The remote console as operators' tools meet it: RCON clients from npm against a real
// vexserver with the bundled engine.
#include <gtest/gtest.h>

#include <regex>
#include <string>

#include "tests/remote/RemoteServer.h"

namespace vex::test {
namespace {

using namespace std::chrono_literals;

constexpr int kRefused = 3;

class RconClients : public ::testing::TestWithParam<std::string> {
 protected:
  NodeRun Rcon(const std::string& password, const std::vector<std::string>& commands) {
    std::vector<std::string> arguments{GetParam(), std::to_string(server_.RconPort()), password};
    arguments.insert(arguments.end(), commands.begin(), commands.end());
    return RunNodeScript("rcon.js", arguments);
  }

  RemoteServer server_;
};

TEST_P(RconClients, RunTheServersAndTheGamesCommandsAndBootAPlayer) {
  ASSERT_TRUE(server_.Start());
  const NodeRun first = Rcon(RemoteServer::kPassword, {"/players", "status"});
  ASSERT_EQ(first.ExitCode, 0) << first.Output;
  const std::string players = AnswerOf(first, "/players");
  EXPECT_NE(players.find("ID  Name"), std::string::npos) << players;
  EXPECT_NE(AnswerOf(first, "status").find("\"Vex Deathmatch\", Deathmatch"), std::string::npos)
      << first.Output;

  std::smatch row;
  ASSERT_TRUE(std::regex_search(players, row, std::regex("\n([0-9]+) +([A-Z][a-z]+) "))) << players;
  const std::string id = row[1];
  const std::string name = row[2];
  const NodeRun boot = Rcon(RemoteServer::kPassword, {"/boot " + id});
  ASSERT_EQ(boot.ExitCode, 0) << boot.Output;
  EXPECT_NE(AnswerOf(boot, "/boot " + id).find(name + " was kicked from the server."),
            std::string::npos)
      << boot.Output;

  // Every command is on the operator's console with where it came from.
  server_.Process().WaitForOutput(": /boot " + id, 5s);
  const std::string& console = server_.Process().Output();
  EXPECT_TRUE(std::regex_search(console, std::regex("RCON 127\\.0\\.0\\.1:[0-9]+: /boot " + id)))
      << console;
}

TEST_P(RconClients, WrongPasswordIsRefusedAndFiveFailuresBanTheAddress) {
  ASSERT_TRUE(server_.Start());
  for (int attempt = 1; attempt <= 5; ++attempt) {
    const NodeRun wrong = Rcon("not the password", {"status"});
    EXPECT_EQ(wrong.ExitCode, kRefused) << "attempt " << attempt << ": " << wrong.Output;
    EXPECT_EQ(AnswerOf(wrong, "status"), "") << wrong.Output;
  }
  EXPECT_TRUE(server_.Process().WaitForOutput("The address is banned for 10 minutes.", 5s));
  const NodeRun banned = Rcon(RemoteServer::kPassword, {"status"});
  EXPECT_NE(banned.ExitCode, 0) << banned.Output;
  EXPECT_EQ(banned.Output.find("DONE"), std::string::npos) << banned.Output;
}

INSTANTIATE_TEST_SUITE_P(Npm, RconClients,
                         ::testing::Values("rcon-srcds", "rcon-client", "srcds-rcon"),
                         [](const auto& row) {
                           std::string name = row.param;
                           name.erase(name.find('-'), 1);
                           return name;
                         });

TEST(ServerQuery, GamedigSeesNameLevelPlayersWithScoresAndMaximum) {
  RemoteServer server;
  ASSERT_TRUE(server.Start());
  ASSERT_TRUE(server.Process().WaitForOutput("Now playing ", 5s));
  const NodeRun query = RunNodeScript("query.mjs", {std::to_string(server.QueryPort())});
  ASSERT_EQ(query.ExitCode, 0) << query.Output;
  EXPECT_NE(query.Output.find("name=Vex Deathmatch\n"), std::string::npos) << query.Output;
  EXPECT_NE(query.Output.find("maxplayers=16\n"), std::string::npos) << query.Output;
  EXPECT_NE(query.Output.find("rule=FragLimit:"), std::string::npos) << query.Output;
  std::smatch level;
  ASSERT_TRUE(std::regex_search(server.Process().Output(), level,
                                std::regex("Now playing ([A-Za-z ]+) \\(level")));
  EXPECT_NE(query.Output.find("map=" + level[1].str() + "\n"), std::string::npos) << query.Output;
  // The sample game's players are the engine's bots, and the query says so.
  EXPECT_TRUE(std::regex_search(query.Output, std::regex("bot=[A-Z][a-z]+ score=-?[0-9]+\n")))
      << query.Output;
}

}  // namespace
}  // namespace vex::test
