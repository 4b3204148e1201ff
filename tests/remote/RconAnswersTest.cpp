// Answers of a real vexserver's remote console that depend on the game: commands sent while one
// level gives way to the next, and the player the game protects from booting.
#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "remote/RconPacket.h"
#include "tests/remote/RconClient.h"
#include "tests/remote/RemoteServer.h"

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
  const std::optional<remote::RconPacket> answer = client.Next();
  return answer && answer->Id == 1;
}

// The game takes no console lines while it goes to the next level: the commands sent then are
// answered once the lines come, each with its own output, never with another's.
TEST(RconAnswers, CommandsSentWhileTheLevelChangesGetTheirOwnOutput) {
  RemoteServer server;
  ASSERT_TRUE(server.Start());
  RconClient client(server.RconPort());
  ASSERT_TRUE(SignIn(client));
  const std::vector<std::string> lines{"/next", "status", "cvarlist", "status", "players"};
  std::string burst;
  for (std::size_t i = 0; i < lines.size(); ++i) {
    burst += Command(static_cast<std::int32_t>(kFirstId + i), lines[i]);
  }
  client.Send(burst);
  const std::optional<std::vector<std::string>> answers = Answers(client, lines.size());
  ASSERT_TRUE(answers) << server.Process().Output();
  EXPECT_EQ((*answers)[0], "Going to the next level.\n");
  for (const std::size_t status : {1u, 3u}) {
    EXPECT_NE((*answers)[status].find("intermission after level 1"), std::string::npos)
        << (*answers)[status];
    EXPECT_EQ((*answers)[status].find("ScoreValues"), std::string::npos) << (*answers)[status];
  }
  EXPECT_NE((*answers)[2].find("ScoreValues[31]"), std::string::npos) << (*answers)[2];
  EXPECT_EQ((*answers)[2].find("intermission"), std::string::npos) << (*answers)[2];
  EXPECT_NE((*answers)[4].find("Ash"), std::string::npos) << (*answers)[4];
  EXPECT_EQ((*answers)[4].find("ScoreValues"), std::string::npos) << (*answers)[4];
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

}  // namespace
}  // namespace vex::test
