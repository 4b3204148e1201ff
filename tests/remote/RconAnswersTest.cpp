// Answers of a real vexserver's remote console that depend on the game: commands sent while one
// level gives way to the next, and the player the game protects from booting.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <optional>
#include <regex>
#include <string>
#include <vector>

#include "remote/RconPacket.h"
#include "tests/remote/RconClient.h"
#include "tests/remote/RemoteServer.h"
#include "tests/support/ChildProcess.h"
#include "tests/support/FileText.h"
#include "tests/support/ProgramFixtures.h"
#include "tests/support/ScratchFolder.h"
#include "tests/support/UnusedPort.h"

namespace vex::test {
namespace {

using namespace std::chrono_literals;
using remote::EncodeRconPacket;
using remote::kRconExecCommand;
using remote::kRconResponseValue;

constexpr std::int32_t kFirstId = 10;
constexpr std::int32_t kMarkerIds = 100;

// A command and, after it, the empty packet whose mirror ends its answer.
std::string Command(std::int32_t id, const std::string& line) {
  return EncodeRconPacket(id, kRconExecCommand, line) +
         EncodeRconPacket(id + kMarkerIds, kRconResponseValue, "");
}

// The answers to the commands sent with ids from kFirstId on, in order; nothing when one does
// not end as it should.
std::optional<std::vector<std::string>> Answers(RconClient& client, std::size_t count) {
  std::vector<std::string> answers;
  for (std::size_t i = 0; i < count; ++i) {
    const auto id = static_cast<std::int32_t>(kFirstId + i);
    std::string answer;
    std::optional<remote::RconPacket> packet;
    while ((packet = client.Next(20s)) && packet->Id == id) {
      answer += packet->Body;
    }
    if (!packet || packet->Id != id + kMarkerIds || !client.Next(20s)) {
      return std::nullopt;
    }
    answers.push_back(answer);
  }
  return answers;
}

bool SignIn(RconClient& client) {
  client.Send(EncodeRconPacket(1, remote::kRconAuth, RemoteServer::kPassword));
  const std::optional<remote::RconPacket> verdict = client.Verdict();
  return verdict && verdict->Id == 1;
}

// With a frag limit of three, a level ends within seconds, and the game pauses three seconds
// before the next, during which the window takes no console lines: the output of a command that
// ran just before the pause waits in the queue. Commands sent across several such pauses are
// each answered with their own output, or told plainly that it did not come in time (two pauses
// in a row, when the next level ends as it starts).
TEST(RconAnswers, CommandsSentWhileTheLevelChangesGetTheirOwnOutput) {
  GameFolder game;
  std::string config = test::FileText(std::string(VEX_SOURCE_DIR) +
                                      "/examples/gamedir/VexMod/ServerData/deathmatch.txt");
  const std::size_t limit = config.find("FragLimit = 25");
  ASSERT_NE(limit, std::string::npos);
  config.replace(limit, 14, "FragLimit = 3");
  game.WriteConfig("quickfrag", config);
  ScratchFolder folder;
  const std::filesystem::path password = folder.Path() / "rcon-password";
  std::ofstream(password) << RemoteServer::kPassword << "\n";
  std::filesystem::permissions(
      password, std::filesystem::perms::owner_read | std::filesystem::perms::owner_write);
  ChildProcess server(
      kProgram,
      {"-console", "-config", "quickfrag", "-port", "0", "-queryport", std::to_string(UnusedPort()),
       "-rconport", "0", "-rconbind", "127.0.0.1", "-rconpassword-file", password.string()},
      game.Path(), {"VEX_SIM_BOTS=3", "VEX_SIM_SEED=7"});
  ASSERT_TRUE(server.WaitForOutput("joined the game.", 20s)) << server.Output();
  std::smatch port;
  ASSERT_TRUE(std::regex_search(server.Output(), port,
                                std::regex("RCON: listening on TCP port ([0-9]+)\\.")));
  RconClient client(std::stoi(port[1]));
  ASSERT_TRUE(SignIn(client));

  // Several at once, as the soak that found the fault sent them. The status answers tell the level
  // changes that the commands have gone through.
  const std::vector<std::string> burst{"status", "cvarlist", "status", "players"};
  const std::regex level("level ([0-9]+) ");
  std::string lastLevel;
  int levelChanges = 0;
  for (int round = 0; round < 300 && levelChanges < 2 && !HasFailure(); ++round) {
    std::string packets;
    for (std::size_t i = 0; i < burst.size(); ++i) {
      packets += Command(static_cast<std::int32_t>(kFirstId + i), burst[i]);
    }
    client.Send(packets);
    const std::optional<std::vector<std::string>> answers = Answers(client, burst.size());
    ASSERT_TRUE(answers) << server.Output();
    for (std::size_t i = 0; i < burst.size(); ++i) {
      const std::string& answer = (*answers)[i];
      const std::string context = std::to_string(round) + " " + burst[i] + ": " + answer;
      if (answer.find("did not come within") != std::string::npos) {
        continue;
      }
      EXPECT_EQ(answer.find("ScoreValues") != std::string::npos, burst[i] == "cvarlist") << context;
      EXPECT_EQ(answer.find(", Deathmatch, ") != std::string::npos, burst[i] == "status")
          << context;
      EXPECT_EQ(answer.find("  kills ") != std::string::npos, burst[i] == "players") << context;
      std::smatch playing;
      if (burst[i] == "status" && std::regex_search(answer, playing, level)) {
        levelChanges += !lastLevel.empty() && playing[1] != lastLevel ? 1 : 0;
        lastLevel = playing[1];
      }
    }
  }
  EXPECT_EQ(levelChanges, 2);
}

// The player the game protects is never booted; the terminal and the remote console both say
// so, and the engine is not blamed.
TEST(RconAnswers, TheProtectedPlayerCannotBeBooted) {
  RemoteServer server({}, {"VEX_SIM_PROTECTED=1"});
  ASSERT_TRUE(server.Start());
  // The protection arrives with the players' statistics, which name the players.
  ChildProcess& process = server.Process();
  ASSERT_TRUE(process.AskUntil(
      "/players", [&] { return process.Output().find("  Ash  ") != std::string::npos; }, 20s))
      << process.Output();
  process.Write("/boot 1\n");
  ASSERT_TRUE(process.WaitForOutput("Ash cannot be booted.\n")) << process.Output();
  RconClient client(server.RconPort());
  ASSERT_TRUE(SignIn(client));
  client.Send(Command(kFirstId, "/boot 1"));
  const std::optional<std::vector<std::string>> answers = Answers(client, 1);
  ASSERT_TRUE(answers);
  EXPECT_EQ((*answers)[0], "Ash cannot be booted.\n");
  EXPECT_EQ(server.Process().Output().find("not answering"), std::string::npos)
      << server.Process().Output();
  EXPECT_EQ(server.Process().Output().find("Ash was kicked"), std::string::npos);
}

// The game takes 119 bytes of a command: the console's copy shows those, and the sender is told
// that the rest was not sent.
TEST(RconAnswers, ACutCommandIsShownAsSentAndTheSenderIsTold) {
  RemoteServer server;
  ASSERT_TRUE(server.Start());
  RconClient client(server.RconPort());
  ASSERT_TRUE(SignIn(client));
  const std::string sent = "say " + std::string(115, 'x');
  client.Send(Command(kFirstId, sent + std::string(40, 'y')));
  const std::optional<std::vector<std::string>> answers = Answers(client, 1);
  ASSERT_TRUE(answers);
  EXPECT_EQ(answers->front().rfind("The command was cut to the game's 119 bytes", 0), 0u)
      << answers->front();
  EXPECT_NE(answers->front().find("Server: " + std::string(115, 'x') + "\n"), std::string::npos)
      << answers->front();
  EXPECT_TRUE(server.Process().WaitForOutput(": " + sent + "\n")) << server.Process().Output();
  EXPECT_EQ(server.Process().Output().find(sent + "y"), std::string::npos);
}

}  // namespace
}  // namespace vex::test
