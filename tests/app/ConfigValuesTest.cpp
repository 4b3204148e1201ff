#include <gtest/gtest.h>
#include <signal.h>

#include <filesystem>
#include <string>

#include "config/FixedText.h"
#include "engine/GameOptions.h"
#include "tests/app/DumpedBlock.h"
#include "tests/support/ChildProcess.h"
#include "tests/support/ProgramFixtures.h"

namespace vex {
namespace {

using test::ChildProcess;
using test::FreePort;
using test::GameFolder;
using test::kProgram;

// MaxTotalPlayers sits on line 5.
const char kManyPlayers[] =
    "[Settings]\n"
    "GameType = 1\n"
    "[Deathmatch]\n"
    "Map00 = \"Worlds\\Multi\\Arena\"\n"
    "MaxTotalPlayers = 256\n"
    "[Preferences]\n"
    "PortID = 70000\n";

// Cut to a byte first, 256 players were 0 and the game was hosted for nobody.
TEST(ConfigValues, DeathmatchPlayersAreCappedBeforeTheyAreCutToAByte) {
  GameFolder game;
  game.WriteConfig("many", kManyPlayers);
  ChildProcess server(kProgram, {"-console", "-config", "many", "-port", FreePort()}, game.Path());
  EXPECT_TRUE(server.WaitForOutput("for up to 16 players.")) << server.Output() << server.Errors();
  server.Signal(SIGINT);
  EXPECT_EQ(server.WaitForExit(), 2);
}

TEST(ConfigCheck, WarnsOfEveryValueThatDoesNotFitWithFileLineReadAndKept) {
  GameFolder game;
  game.WriteConfig("many", kManyPlayers);
  ChildProcess check(kProgram, {"--check-config", "-config", "many"}, game.Path());
  ASSERT_EQ(check.WaitForExit(), 0) << check.Errors();
  for (const std::string warning :
       {"warning: File \"VexMod/ServerData/many.txt\", line 5 :  [Deathmatch]:MaxTotalPlayers = "
        "256 does not fit its field; 16 is used",
        "warning: File \"VexMod/ServerData/many.txt\", line 7 :  [Preferences]:PortID = 70000 "
        "does not fit its field; 4464 is used"}) {
    EXPECT_NE(check.Errors().find(warning), std::string::npos) << check.Errors();
  }
}

// A player types a password byte for byte: the field keeps its first 15 bytes even where that
// splits a character, while the server name is still cut between characters.
TEST(ConfigCheck, PasswordsKeepTheirFirstFifteenBytes) {
  GameFolder game;
  const std::string name = std::string(62, 'n') + "\xc3\xa9";
  game.WriteConfig(
      "typed",
      "[Settings]\nGameType = 1\nJoinPass = \"abcdefghijklmn\xc3\xa9\"\n"
      "ContPass = \"\xc3\xa9\xc3\xa9\xc3\xa9\xc3\xa9\xc3\xa9\xc3\xa9\xc3\xa9\xc3\xa9\"\n"
      "MastPass = \"0123456789abcdef\"\nServName = \"" +
          name +
          "\"\n"
          "[Deathmatch]\nMap00 = \"Worlds\\Multi\\Arena\"\n");
  ChildProcess check(
      kProgram, {"--check-config", "-config", "typed", "--dump-options", "block.bin"}, game.Path());
  ASSERT_EQ(check.WaitForExit(), 0) << check.Errors();
  const CGameOptions block =
      test::ReadDumpedBlock(std::filesystem::path(game.Path()) / "block.bin");
  EXPECT_EQ(FixedTextView(block.JoinPass), "abcdefghijklmn\xc3");
  EXPECT_EQ(FixedTextView(block.ContPass),
            "\xc3\xa9\xc3\xa9\xc3\xa9\xc3\xa9\xc3\xa9\xc3\xa9\xc3\xa9\xc3");
  EXPECT_EQ(FixedTextView(block.MastPass), "0123456789abcde");
  EXPECT_EQ(block.JoinPassSet, 1);
  EXPECT_EQ(FixedTextView(block.ServName), std::string(62, 'n'));
}

}  // namespace
}  // namespace vex
