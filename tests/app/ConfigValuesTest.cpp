#include <gtest/gtest.h>
#include <signal.h>

#include <string>

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

}  // namespace
}  // namespace vex
