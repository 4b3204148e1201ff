// Widely used RCON and server-query clients against a real vexserver with the bundled engine:
// every client through each case an operator's tool meets.
#include <gtest/gtest.h>

#include <cctype>
#include <fstream>
#include <ostream>
#include <regex>
#include <string>
#include <utility>
#include <vector>

#include "tests/remote/RemoteServer.h"
#include "tests/support/ChildProcess.h"
#include "tests/support/ScratchFolder.h"

namespace vex::test {
namespace {

using namespace std::chrono_literals;

constexpr int kRefused = 3;

enum class RconCase {
  SignIn,
  WrongPassword,
  LongAnswerThenShortCommand,
  SixteenAtOnce,
  SignInAsAnotherGame
};

struct RconCell {
  std::string Client;
  RconCase Case;
  // Whether the client puts the packets of a long answer together; the others keep the first.
  bool JoinsLongAnswers = false;
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
    case RconCase::SignInAsAnotherGame:
      return "SignInAsAnotherGame";
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
  const std::vector<std::pair<std::string, bool>> clients = {
      {"rcon-srcds", false}, {"rcon-client", false},
      {"rcon", true},        {"@fabricio-191/valve-server-query", false},
      {"srcds-rcon", true},
  };
  std::vector<RconCell> cells;
  for (const auto& [client, joins] : clients) {
    for (const RconCase c : {RconCase::SignIn, RconCase::WrongPassword,
                             RconCase::LongAnswerThenShortCommand, RconCase::SixteenAtOnce}) {
      // rcon-srcds picks each command's id at random from 1 to 255, so among 16 at once two
      // share an id about every third run; and it takes the end marker's closing packet, which
      // it asks for after a long answer, for the next command's answer.
      if (client != "rcon-srcds" ||
          (c != RconCase::SixteenAtOnce && c != RconCase::LongAnswerThenShortCommand)) {
        cells.push_back({client, c, joins});
      }
    }
  }
  // A client for the servers of another game, which answer a sign-in with the verdict alone:
  // it takes the empty response value before the verdict for a protocol error, as it does
  // with the reference servers.
  cells.push_back({"minecraft-server-util", RconCase::SignInAsAnotherGame});
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
    case RconCase::SignInAsAnotherGame: {
      const NodeRun run = Rcon(RemoteServer::kPassword, {"status"});
      EXPECT_EQ(run.ExitCode, kRefused) << run.Output;
      EXPECT_NE(run.Output.find("Expected server to send packet type 2, received 0"),
                std::string::npos)
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
      const NodeRun run = Rcon(RemoteServer::kPassword, {"cvarlist", "say next"});
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

// Debian's RCON client, as its command line and as the Python library under it, reads that more
// of an answer follows from a full packet only: cvarlist reaches it whole, and the next command
// gets its own answer.
TEST(DebianRconClient, ReadsALongAnswerWholeAndTheNextOnItsOwn) {
  RemoteServer server;
  ASSERT_TRUE(server.Start());
  ScratchFolder folder;
  const std::string config = (folder.Path() / "rcon.conf").string();
  // The file is read with Python's interpolation, where "%%" stands for "%".
  const std::string password = std::regex_replace(RemoteServer::kPassword, std::regex("%"), "%%");
  std::ofstream(config) << "[vex]\nhost = 127.0.0.1\nport = " << server.RconPort()
                        << "\npasswd = " << password << "\n";
  ChildProcess rconclt("/usr/bin/rconclt", {"-c", config, "vex", "cvarlist"}, ".");
  ASSERT_EQ(rconclt.WaitForExit(20s), 0) << rconclt.Errors();
  EXPECT_NE(rconclt.Output().find("ServName"), std::string::npos) << rconclt.Output();
  EXPECT_NE(rconclt.Output().find("ScoreValues[31]"), std::string::npos) << rconclt.Output();

  const std::string script =
      "import sys\n"
      "from rcon.source import Client\n"
      "with Client('127.0.0.1', int(sys.argv[1]), passwd=sys.argv[2], timeout=10) as c:\n"
      "    print(c.run('cvarlist'))\n"
      "    print('NEXT ' + c.run('status'))\n";
  ChildProcess python("/usr/bin/python3",
                      {"-c", script, std::to_string(server.RconPort()), RemoteServer::kPassword},
                      ".");
  ASSERT_EQ(python.WaitForExit(20s), 0) << python.Output() << python.Errors();
  EXPECT_NE(python.Output().find("ScoreValues[31]"), std::string::npos) << python.Output();
  EXPECT_NE(python.Output().find("NEXT \"Vex Deathmatch\", Deathmatch"), std::string::npos)
      << python.Output();
}

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
