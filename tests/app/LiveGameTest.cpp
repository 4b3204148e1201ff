// An operator's session on the console front-end against the bundled engine with bots.
#include <gtest/gtest.h>
#include <stdlib.h>

#include <algorithm>
#include <chrono>
#include <memory>
#include <optional>
#include <regex>
#include <sstream>
#include <string>
#include <vector>

#include "tests/support/ChildProcess.h"
#include "tests/support/ProgramFixtures.h"

namespace vex {
namespace {

using namespace std::chrono_literals;
using test::ChildProcess;

struct PlayerRow {
  int Id;
  std::string Name;
  int Ping;
};

using Row = std::vector<std::string>;  // the captured fields of one table row

// The rows of the newest table in the output that starts with `header`.
std::vector<Row> NewestTable(const std::string& output, const std::string& header,
                             const std::regex& rowPattern) {
  std::vector<Row> rows;
  const auto start = output.rfind(header);
  if (start == std::string::npos) {
    return rows;
  }
  std::istringstream lines(output.substr(start));
  std::string line;
  std::getline(lines, line);
  while (std::getline(lines, line)) {
    std::smatch match;
    if (!std::regex_match(line, match, rowPattern)) {
      break;
    }
    rows.emplace_back(match.begin() + 1, match.end());
  }
  return rows;
}

class LiveGame : public ::testing::Test {
 protected:
  LiveGame() {
    server_.emplace(test::kProgram,
                    std::vector<std::string>{"-console", "-config", "deathmatch", "-port", "0",
                                             "-timestamps=0"},
                    game_.Path(), std::vector<std::string>{"VEX_SIM_BOTS=3", "VEX_SIM_SEED=7"});
  }
  ~LiveGame() override { server_.reset(); }

  // Asks with `command` until the newest answer satisfies `done`.
  template <class Done>
  bool Poll(const std::string& command, Done done, std::chrono::seconds limit = 10s) {
    return server_->AskUntil(command, done, limit);
  }

  std::vector<PlayerRow> Players() const {
    static const std::regex row(R"((\d+)  (.+?) +(\d+)  +(-?\d+) +(-?\d+) +(-?\d+) +(\S+))");
    std::vector<PlayerRow> players;
    for (const auto& fields : NewestTable(server_->Output(), "ID  Name", row)) {
      players.push_back({std::stoi(fields[0]), fields[1], std::stoi(fields[2])});
    }
    return players;
  }

  int MarkedLevel() const {
    static const std::regex row(R"((\d+)  ([* ])  (.+))");
    for (const auto& fields : NewestTable(server_->Output(), "N     World", row)) {
      if (fields[1] == "*") {
        return std::stoi(fields[0]);
      }
    }
    return -1;
  }

  test::GameFolder game_;
  std::optional<ChildProcess> server_;
};

TEST_F(LiveGame, OperatorWatchesAndSteersAGameWithBots) {
  ASSERT_TRUE(server_->WaitForOutput("Server is running.")) << server_->Errors();

  ASSERT_TRUE(Poll("/players", [&] {
    const auto players = Players();
    return players.size() == 3 && std::all_of(players.begin(), players.end(), [](const auto& p) {
             return p.Ping > 0 && p.Name != "<Incoming Player>";
           });
  })) << server_->Output();

  // /levels and /level count as the engine's "level N of M" does.
  ASSERT_TRUE(Poll("/levels", [&] { return MarkedLevel() == 1; })) << server_->Output();
  server_->Write("/next\n");
  EXPECT_TRUE(Poll("/levels", [&] { return MarkedLevel() == 2; })) << server_->Output();
  EXPECT_TRUE(server_->WaitForOutput("(level 2 of")) << server_->Output();
  server_->Write("/level 3\n");
  EXPECT_TRUE(Poll("/levels", [&] { return MarkedLevel() == 3; })) << server_->Output();
  EXPECT_TRUE(server_->WaitForOutput("(level 3 of")) << server_->Output();

  const int booted = Players().front().Id;
  server_->Write("/boot " + std::to_string(booted) + "\n");
  EXPECT_TRUE(Poll("/players", [&] {
    const auto players = Players();
    return players.size() == 2 && std::none_of(players.begin(), players.end(),
                                               [&](const auto& p) { return p.Id == booted; });
  })) << server_->Output();

  server_->Write("/stop\n");
  EXPECT_EQ(server_->WaitForExit(), 2);
  EXPECT_NE(server_->Output().find("Server stopped."), std::string::npos);
}

// Real players may join under one name; booting the first of them could hit the wrong one.
TEST_F(LiveGame, BootRefusesANameThatSeveralPlayersShareAndListsThem) {
  ASSERT_TRUE(server_->WaitForOutput(" players.")) << server_->Errors();
  static const std::regex hosting(R"(on UDP port (\d+))");
  std::smatch port;
  const std::string output = server_->Output();
  ASSERT_TRUE(std::regex_search(output, port, hosting)) << output;
  std::vector<std::unique_ptr<ChildProcess>> twins;
  for (int twin = 0; twin < 2; ++twin) {
    twins.push_back(std::make_unique<ChildProcess>(
        test::kClientProgram,
        std::vector<std::string>{"-n", "1", "--name", "Twin", "--seconds", "60",
                                 "127.0.0.1:" + port[1].str()},
        game_.Path()));
  }
  ASSERT_TRUE(Poll("/players", [&] {
    const auto players = Players();
    return std::count_if(players.begin(), players.end(), [](const auto& p) {
             return p.Name.find("Twin") != std::string::npos;
           }) == 2;
  })) << server_->Output();

  server_->Write("/boot Twin\n");
  ASSERT_TRUE(server_->WaitForOutput("Several players have that name")) << server_->Output();
  EXPECT_TRUE(Poll("/players", [&] { return Players().size() == 5; })) << server_->Output();

  server_->Write("/stop\n");
  EXPECT_EQ(server_->WaitForExit(), 2);
}

}  // namespace
}  // namespace vex
