// Real players over the network: vexclient processes against the console front-end and the
// bundled engine, on 127.0.0.1.
#include <gtest/gtest.h>
#include <signal.h>
#include <stdlib.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <fstream>
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

namespace fs = std::filesystem;
using namespace std::chrono_literals;
using test::ChildProcess;

constexpr const char* kPassword = "letmein";

struct PlayerRow {
  int Id;
  std::string Name;
  int Ping;
};

// A console server hosting the sample deathmatch with a join password, no bots and a short
// client time-out, on a free port.
class LiveClients : public ::testing::Test {
 protected:
  LiveClients() {
    const fs::path config = fs::path(game_.Path()) / "VexMod/ServerData/deathmatch.txt";
    std::stringstream text;
    text << std::ifstream(config).rdbuf();
    std::string content = text.str();
    content.replace(content.find("JoinPass = \"OFF\""), 16,
                    std::string("JoinPass = \"") + kPassword + "\"");
    std::ofstream(config) << content;
    server_ = std::make_unique<ChildProcess>(
        test::kProgram,
        std::vector<std::string>{"-console", "-config", "deathmatch", "-port", "0",
                                 "-timestamps=0"},
        game_.Path(), std::vector<std::string>{"VEX_SIM_BOTS=0", "VEX_SIM_CLIENT_TIMEOUT_MS=2000"});
  }
  ~LiveClients() override { server_.reset(); }

  void SetUp() override {
    ASSERT_TRUE(server_->WaitForOutput(" players.\n", 20s)) << server_->Errors();
    static const std::regex hosting(R"(on UDP port (\d+) for up to)");
    std::smatch match;
    ASSERT_TRUE(std::regex_search(server_->Output(), match, hosting)) << server_->Output();
    address_ = "127.0.0.1:" + match[1].str();
  }

  std::unique_ptr<ChildProcess> Client(std::vector<std::string> arguments) {
    arguments.push_back(address_);
    return std::make_unique<ChildProcess>(test::kClientProgram, arguments, game_.Path());
  }

  // Asks with `command` until the newest answer satisfies `done`.
  template <class Done>
  bool Poll(const std::string& command, Done done, std::chrono::seconds limit = 20s) {
    return server_->AskUntil(command, done, limit);
  }

  // The rows of the newest /players answer; empty after "No players.".
  std::vector<PlayerRow> Players() const {
    static const std::regex row(R"((\d+) +(\S.*?) +(\d+) +(-?\d+) +(-?\d+) +(-?\d+) +(\S+))");
    const std::string& output = server_->Output();
    const auto start = output.rfind("ID  Name");
    std::vector<PlayerRow> players;
    if (start == std::string::npos) {
      return players;
    }
    std::istringstream lines(output.substr(start));
    std::string line;
    std::getline(lines, line);
    std::smatch match;
    while (std::getline(lines, line) && std::regex_match(line, match, row)) {
      players.push_back({std::stoi(match[1]), match[2], std::stoi(match[3])});
    }
    return players;
  }

  // A value of the newest /status answer, such as "Total Players:".
  std::string Status(const std::string& label) const {
    const std::string& output = server_->Output();
    const auto at = output.rfind(label);
    if (at == std::string::npos) {
      return {};
    }
    const auto end = output.find('\n', at);
    std::string value = output.substr(at + label.size(), end - at - label.size());
    value.erase(0, value.find_first_not_of(' '));
    return value;
  }

  bool StatusShows(const std::string& label, const std::string& value) {
    return Poll("/status", [&] { return Status(label) == value; });
  }

  test::GameFolder game_;
  std::unique_ptr<ChildProcess> server_;
  std::string address_;
};

TEST_F(LiveClients, TwelvePlayersJoinChatAndShowWithTheirMeasuredPings) {
  auto clients = Client({"-n", "12", "--name", "ann", "--password", kPassword, "--chat"});
  ASSERT_TRUE(clients->WaitForOutput("player 12 (ann12): joined as client", 20s))
      << clients->Output() << clients->Errors();

  ASSERT_TRUE(Poll("/players", [&] {
    const auto players = Players();
    return players.size() == 12 && std::all_of(players.begin(), players.end(), [](const auto& p) {
             return p.Name.starts_with("ann") && p.Ping > 0;
           });
  })) << server_->Output();
  std::vector<std::string> names;
  for (const PlayerRow& player : Players()) {
    names.push_back(player.Name);
  }
  std::sort(names.begin(), names.end());
  EXPECT_EQ(names.front(), "ann1");
  EXPECT_EQ(names.back(), "ann9");
  EXPECT_TRUE(server_->WaitForOutput("ann7: hello from ann7 #1")) << server_->Output();
  EXPECT_TRUE(StatusShows("Peak Players:", "12"));
  EXPECT_EQ(Status("Total Players:"), "12");
  EXPECT_EQ(Status("Current Players:"), "12/16");

  clients->Signal(SIGINT);
  EXPECT_EQ(clients->WaitForExit(), 0) << clients->Output();
  EXPECT_NE(clients->Output().find("Joined:        12\n"), std::string::npos);
  EXPECT_NE(clients->Output().find("\nRound trip:    "), std::string::npos) << clients->Output();
  EXPECT_TRUE(Poll("/players", [&] { return server_->Output().ends_with("No players.\n"); }));
  EXPECT_TRUE(StatusShows("Current Players:", "0/16"));
  EXPECT_EQ(Status("Total Players:"), "12");
  EXPECT_EQ(Status("Peak Players:"), "12");
}

TEST_F(LiveClients, RefusedPlayersAreToldWhy) {
  auto intruder = Client({"--name", "eve", "--password", "guess"});
  EXPECT_EQ(intruder->WaitForExit(20s), 1);
  EXPECT_NE(intruder->Output().find("player 1 (eve): refused: wrong password"), std::string::npos)
      << intruder->Output();
  EXPECT_NE(intruder->Output().find("Refused:       1 (wrong password 1, "), std::string::npos);

  auto sixteen = Client({"-n", "16", "--password", kPassword});
  ASSERT_TRUE(sixteen->WaitForOutput("player 16 (player16): joined as client", 20s))
      << sixteen->Output();
  auto seventeenth = Client({"--name", "late", "--password", kPassword});
  EXPECT_EQ(seventeenth->WaitForExit(20s), 1);
  EXPECT_NE(seventeenth->Output().find("player 1 (late): refused: server full"), std::string::npos)
      << seventeenth->Output();
  EXPECT_TRUE(StatusShows("Current Players:", "16/16"));
  EXPECT_EQ(Status("Total Players:"), "16");
}

TEST_F(LiveClients, ABootedPlayerIsToldSo) {
  auto clients = Client({"-n", "2", "--name", "kim", "--password", kPassword});
  ASSERT_TRUE(clients->WaitForOutput("player 2 (kim2): joined as client", 20s));
  std::smatch match;
  ASSERT_TRUE(std::regex_search(clients->Output(), match,
                                std::regex(R"(\(kim1\): joined as client (\d+))")));
  ASSERT_TRUE(Poll("/players", [&] { return Players().size() == 2; })) << server_->Output();

  server_->Write("/boot " + match[1].str() + "\n");
  EXPECT_TRUE(clients->WaitForOutput("player 1 (kim1): kicked", 20s)) << clients->Output();
  EXPECT_TRUE(server_->WaitForOutput("kim1 was kicked from the server."));
  clients->Signal(SIGINT);
  EXPECT_EQ(clients->WaitForExit(), 1) << "a player was dropped";
  EXPECT_NE(clients->Output().find("Kicked:        1\n"), std::string::npos) << clients->Output();
}

TEST_F(LiveClients, AKilledClientTimesOut) {
  auto client = Client({"--name", "zed", "--password", kPassword});
  ASSERT_TRUE(client->WaitForOutput("player 1 (zed): joined as client", 20s));
  ASSERT_TRUE(Poll("/players", [&] { return Players().size() == 1; })) << server_->Output();

  client->Signal(SIGKILL);
  EXPECT_EQ(client->WaitForExit(), 128 + SIGKILL);
  EXPECT_TRUE(server_->WaitForOutput("zed timed out.", 20s)) << server_->Output();
  EXPECT_TRUE(Poll("/players", [&] { return server_->Output().ends_with("No players.\n"); }));
  EXPECT_TRUE(StatusShows("Total Players:", "1"));
}

struct Usage {
  std::vector<std::string> Arguments;
  int ExitCode;
  const char* Says;
};

TEST(Vexclient, DocumentsItselfAndRefusesBadUsage) {
  const Usage cases[] = {
      {{"--help"}, 0, "Usage: vexclient [-n N]"},
      {{}, 2, "no server address"},
      {{"-n", "0", "127.0.0.1:27888"}, 2, "-n takes a number of players from 1 to 500"},
      {{"--seconds", "-1", "127.0.0.1:27888"}, 2, "--seconds takes a number"},
      {{"127.0.0.1"}, 2, "must be HOST:PORT"},
      {{"127.0.0.1:70000"}, 2, "must be HOST:PORT"},
      {{"--frobnicate", "127.0.0.1:27888"}, 2, "unknown option --frobnicate"},
  };
  for (const Usage& c : cases) {
    ChildProcess client(test::kClientProgram, c.Arguments, VEX_BIN_DIR);
    EXPECT_EQ(client.WaitForExit(), c.ExitCode) << c.Says;
    EXPECT_NE((client.Output() + client.Errors()).find(c.Says), std::string::npos)
        << client.Output() << client.Errors();
  }
}

}  // namespace
}  // namespace vex
