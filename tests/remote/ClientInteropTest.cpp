// Widely used RCON and server-query clients against a real vexserver with the bundled engine:
// every client through each case an operator's tool meets.
#include <gtest/gtest.h>

#include <cctype>
#include <ostream>
#include <regex>
#include <string>
#include <tuple>
#include <vector>

#include "tests/remote/RemoteServer.h"

namespace vex::test {
namespace {

using namespace std::chrono_literals;

constexpr int kRefused = 3;

enum class RconCase { SignIn, WrongPassword, LongAnswerThenShortCommand, SixteenAtOnce };

struct RconCell {
  std::string Client;
  RconCase Case;
  // Whether the client puts the packets of a long answer together; the others keep the first.
  bool JoinsLongAnswers = false;
  // Whether the short command goes out with the long one instead of right after its answer:
  // minecraft-server-util reads and writes through one buffer, so a command written while an
  // answer's later packets are still unread corrupts both.
  bool WritesShortWithLong = false;
};

std::string CaseName(RconCase c) {
  switch (c) {
    case RconCase::SignIn:
      return "SignIn";
    case RconCase::WrongPassword:
      return "WrongPassword";
    case RconCase::LongAnswerThenShortCommand:
      return "LongAnswerThenShortCommand";
    case RconCase::SixteenAtOnce:
      return "SixteenAtOnce";
  }
  return "";
}

std::string CellName(const RconCell& cell) {
  std::string name;
  for (const char c : cell.Client) {
    name += std::isalnum(static_cast<unsigned char>(c)) != 0 ? c : '_';
  }
  return name + "_" + CaseName(cell.Case);
}

void PrintTo(const RconCell& cell, std::ostream* out) {
  *out << CellName(cell);
}

std::vector<RconCell> RconCells() {
  const std::vector<std::tuple<std::string, bool, bool>> clients = {
      {"rcon-srcds", false, false},
      {"rcon-client", false, false},
      {"rcon", true, false},
      {"minecraft-server-util", false, true},
      {"@fabricio-191/valve-server-query", false, false},
  };
  std::vector<RconCell> cells;
  for (const auto& [client, joins, together] : clients) {
    for (const RconCase c : {RconCase::SignIn, RconCase::WrongPassword,
                             RconCase::LongAnswerThenShortCommand, RconCase::SixteenAtOnce}) {
      // rcon-srcds picks each command's id at random from 1 to 255, so among 16 at once two
      // share an id about every third run; and it takes each socket read for one packet and
      // the end marker's closing packet for the next command's answer, so a long answer sent
      // whole, as the protocol has it, shifts its next answer.
      if (client != "rcon-srcds" ||
          (c != RconCase::SixteenAtOnce && c != RconCase::LongAnswerThenShortCommand)) {
        cells.push_back({client, c, joins, together});
      }
    }
  }
  return cells;
}

class RconClientCells : public ::testing::TestWithParam<RconCell> {
 protected:
  void SetUp() override { ASSERT_TRUE(server_.Start()); }

  NodeRun Rcon(const std::string& password, std::vector<std::string> commands,
               bool together = false) {
    std::vector<std::string> arguments{GetParam().Client, std::to_string(server_.RconPort()),
                                       password};
    if (together) {
      arguments.push_back("--together");
    }
    arguments.insert(arguments.end(), commands.begin(), commands.end());
    return RunNodeScript("rcon.js", arguments);
  }

  RemoteServer server_;
};

TEST_P(RconClientCells, Passes) {
  switch (GetParam().Case) {
    case RconCase::SignIn: {
      const NodeRun run = Rcon(RemoteServer::kPassword, {"status"});
      ASSERT_EQ(run.ExitCode, 0) << run.Output;
      EXPECT_NE(AnswerOf(run, "status").find("\"Vex Deathmatch\", Deathmatch"), std::string::npos)
          << run.Output;
      break;
    }
    case RconCase::WrongPassword: {
      const NodeRun run = Rcon("not the password", {"status"});
      EXPECT_EQ(run.ExitCode, kRefused) << run.Output;
      EXPECT_EQ(AnswerOf(run, "status"), "") << run.Output;
      EXPECT_TRUE(server_.Process().WaitForOutput("RCON: wrong password from 127.0.0.1:", 5s));
      break;
    }
    case RconCase::LongAnswerThenShortCommand: {
      // The engine's variables take three packets; the next command is written as soon as the
      // client takes the answer for complete.
      const NodeRun run =
          Rcon(RemoteServer::kPassword, {"cvarlist", "say next"}, GetParam().WritesShortWithLong);
      ASSERT_EQ(run.ExitCode, 0) << run.Output;
      const std::string variables = AnswerOf(run, "cvarlist");
      EXPECT_NE(variables.find("ServName"), std::string::npos) << run.Output;
      if (GetParam().JoinsLongAnswers) {
        EXPECT_GT(variables.size(), 6000u);
        EXPECT_NE(variables.find("ScoreValues[31]"), std::string::npos) << variables;
      }
      const std::string next = AnswerOf(run, "say next");
      EXPECT_NE(next.find("Server: next"), std::string::npos) << run.Output;
      EXPECT_EQ(next.find("ScoreValues"), std::string::npos) << run.Output;
      break;
    }
    case RconCase::SixteenAtOnce: {
      std::vector<std::string> commands;
      for (int i = 1; i <= 16; ++i) {
        commands.push_back("say n" + std::to_string(i));
      }
      const NodeRun run = Rcon(RemoteServer::kPassword, commands, true);
      ASSERT_EQ(run.ExitCode, 0) << run.Output;
      for (int i = 1; i <= 16; ++i) {
        const std::string answer = AnswerOf(run, "say n" + std::to_string(i));
        EXPECT_TRUE(
            std::regex_search(answer, std::regex("(^|\n)Server: n" + std::to_string(i) + "(\n|$)")))
            << i << ": " << run.Output;
      }
      break;
    }
  }
}

INSTANTIATE_TEST_SUITE_P(Interop, RconClientCells, ::testing::ValuesIn(RconCells()),
                         [](const auto& row) { return CellName(row.param); });

// Each query client's view of the server: info (with the bots the engine reports), the players
// with their scores, and the rules.
class QueryClients : public ::testing::TestWithParam<std::string> {};

TEST_P(QueryClients, ReadInfoPlayersAndRules) {
  RemoteServer server;
  ASSERT_TRUE(server.Start());
  ASSERT_TRUE(server.Process().WaitForOutput("Cinder joined the game.", 10s));
  // A player's name reaches the roster with the game's next statistics, a moment after the
  // join line: asked again until the last one has it.
  std::string output;
  for (int attempt = 0; attempt < 10 && output.find("player=Cinder ") == std::string::npos;
       ++attempt) {
    output.clear();
    if (GetParam() == "quakestat") {
      ChildProcess qstat(
          "/usr/bin/quakestat",
          {"-raw", "|", "-a2s", "127.0.0.1:" + std::to_string(server.QueryPort()), "-P", "-R"},
          ".");
      ASSERT_EQ(qstat.WaitForExit(20s), 0) << qstat.Errors();
      // Server line: name|map|max|players; rules line; one name|score|time line per player.
      std::smatch info;
      ASSERT_TRUE(std::regex_search(qstat.Output(), info,
                                    std::regex("\\|Vex Deathmatch\\|([A-Za-z ]+)\\|16\\|3\\|")))
          << qstat.Output();
      output = "name=Vex Deathmatch\nmap=" + info[1].str() + "\nmaxplayers=16\n";
      std::smatch bots;
      if (std::regex_search(qstat.Output(), bots, std::regex("bots=([0-9]+)"))) {
        output += "bots=" + bots[1].str() + "\n";
      }
      if (qstat.Output().find("FragLimit=25") != std::string::npos) {
        output += "rule=FragLimit:25\n";
      }
      const std::regex player("\n([A-Z][a-z]+)\\|(-?[0-9]+)\\|[0-9]+");
      for (std::sregex_iterator it(qstat.Output().begin(), qstat.Output().end(), player), end;
           it != end; ++it) {
        output += "player=" + (*it)[1].str() + " score=" + (*it)[2].str() + "\n";
      }
    } else {
      const NodeRun run =
          RunNodeScript("query-clients.js", {GetParam(), std::to_string(server.QueryPort())});
      ASSERT_EQ(run.ExitCode, 0) << run.Output;
      output = run.Output;
    }
  }
  EXPECT_NE(output.find("name=Vex Deathmatch\n"), std::string::npos) << output;
  EXPECT_NE(output.find("maxplayers=16\n"), std::string::npos) << output;
  EXPECT_NE(output.find("bots=3\n"), std::string::npos) << output;
  EXPECT_NE(output.find("rule=FragLimit:25\n"), std::string::npos) << output;
  std::smatch level;
  ASSERT_TRUE(std::regex_search(server.Process().Output(), level,
                                std::regex("Now playing ([A-Za-z ]+) \\(level")));
  EXPECT_NE(output.find("map=" + level[1].str() + "\n"), std::string::npos) << output;
  for (const char* name : {"Ash", "Brick", "Cinder"}) {
    EXPECT_TRUE(
        std::regex_search(output, std::regex(std::string("player=") + name + " score=-?[0-9]+\n")))
        << name << ": " << output;
  }
}

INSTANTIATE_TEST_SUITE_P(Interop, QueryClients,
                         ::testing::Values("gamedig", "@fabricio-191/valve-server-query",
                                           "quakestat"),
                         [](const auto& row) {
                           std::string name;
                           for (const char c : row.param) {
                             name += std::isalnum(static_cast<unsigned char>(c)) != 0 ? c : '_';
                           }
                           return name;
                         });

}  // namespace
}  // namespace vex::test
