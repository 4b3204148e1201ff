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

// "-name" takes "--check-config" as the server's name: the program must not also read it as its
// own option and run a check instead.
TEST(ProgramMode, AnArgumentTheGameTakesAsAValueIsNoOptionOfTheProgram) {
  GameFolder game;
  ChildProcess server(
      kProgram,
      {"-console", "-port", FreePort(), "-name", "--check-config", "-config", "deathmatch"},
      game.Path());
  EXPECT_TRUE(server.WaitForOutput("Hosting \"--check-config\""))
      << server.Output() << server.Errors();
  server.Signal(SIGINT);
  EXPECT_EQ(server.WaitForExit(), 2);
}

}  // namespace
}  // namespace vex
