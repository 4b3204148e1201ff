// Commands piped into vexserver -console: a flood that outruns the engine's queue, lines longer
// than the game takes, and level numbers that do not exist.
#include <gtest/gtest.h>
#include <signal.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <string>

#include "tests/support/ChildProcess.h"
#include "tests/support/FileText.h"
#include "tests/support/ProgramFixtures.h"

namespace vex {
namespace {

using namespace std::chrono_literals;
using test::ChildProcess;
using test::FileText;
using test::FreePort;
using test::GameFolder;
using test::kProgram;

// The bundled engine takes 64 messages a frame; ten thousand lines at once are all run, in the
// order they came, and the level change piped after them is carried out, not only announced.
TEST(PipedCommands, AFloodRunsEveryLineInOrderAndTheLevelChangeAfterIt) {
  GameFolder game;
  const std::filesystem::path log = game.Path() + "/server.log";
  ChildProcess server(kProgram,
                      {"-console", "-config", "deathmatch", "-port", FreePort(), "-log",
                       log.string(), "-timestamps=0"},
                      game.Path());
  ASSERT_TRUE(server.WaitForOutput("Now playing Arena (level 1 of 4).", 20s)) << server.Errors();

  constexpr int kLines = 10000;
  std::string input;
  for (int i = 0; i < kLines; ++i) {
    input += "say line-" + std::to_string(i) + "\n";
  }
  input += "/next\n";
  server.Write(input);
  // The log has every console line; a terminal that reads slowly may miss some.
  ASSERT_TRUE(server.CollectUntil(
      [&] {
        return FileText(log).find("Now playing Foundry (level 2 of 4).") != std::string::npos;
      },
      120s))
      << server.Errors();
  EXPECT_TRUE(server.WaitForOutput("Going to the next level.\n"));
  EXPECT_EQ(server.Output().find("refused"), std::string::npos);
  server.Signal(SIGTERM);
  ASSERT_EQ(server.WaitForExit(20s), 2) << server.Errors();

  const std::string logged = FileText(log);
  std::size_t from = 0;
  for (int i = 0; i < kLines; ++i) {
    const std::string said = "Server: line-" + std::to_string(i) + "\n";
    const std::size_t at = logged.find(said, from);
    ASSERT_NE(at, std::string::npos) << "not run, or out of order: " << said;
    from = at + said.size();
  }
  EXPECT_NE(logged.find("Now playing Foundry (level 2 of 4).", from), std::string::npos);
}

TEST(PipedCommands, ACutCommandAndALevelOutOfRangeAreExplained) {
  GameFolder game;
  ChildProcess server(kProgram, {"-console", "-config", "deathmatch", "-port", FreePort()},
                      game.Path());
  ASSERT_TRUE(server.WaitForOutput("Server is running.", 20s)) << server.Errors();

  const std::string sent = "say " + std::string(115, 'x');
  server.Write(sent + std::string(30, 'y') + "\n/level 99\n/level 0\n");
  EXPECT_TRUE(server.WaitForOutput("<< Server >>  " + sent + "\n"));
  EXPECT_TRUE(
      server.WaitForOutput("The command was cut to the game's 119 bytes; the rest was not sent."));
  EXPECT_TRUE(server.WaitForOutput("There is no level 99; /levels lists 1 to 4.\n"));
  EXPECT_TRUE(server.WaitForOutput("There is no level 0; /levels lists 1 to 4.\n"));
  EXPECT_EQ(server.Output().find(sent + "y"), std::string::npos);
  server.Signal(SIGTERM);
  EXPECT_EQ(server.WaitForExit(20s), 2);
}

}  // namespace
}  // namespace vex
