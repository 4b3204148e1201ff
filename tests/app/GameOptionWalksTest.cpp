#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <ostream>
#include <string>
#include <vector>

#include "config/FixedText.h"
#include "engine/GameOptions.h"
#include "tests/app/DumpedBlock.h"
#include "tests/support/ChildProcess.h"
#include "tests/support/FileText.h"
#include "tests/support/ProgramFixtures.h"

namespace vex {
namespace {

using test::ChildProcess;
using test::GameFolder;
using test::kProgram;

struct WalkCase {
  std::string Name;
  std::vector<std::string> Arguments;  // after --check-config
  std::string ConfigFile;              // as the summary names it
  std::string ServerName;
  std::uint16_t Port;
  std::vector<std::string> Warnings;
};

void PrintTo(const WalkCase& row, std::ostream* out) {
  *out << row.Name;
}

class GameOptionWalk : public ::testing::TestWithParam<WalkCase> {};

// Each of the game's walks knows only its own option names and skips any other argument alone,
// so one argument may be the value of an option of one walk and an option of the other. The
// program's own options get only what neither walk takes.
TEST_P(GameOptionWalk, TheCheckHostsWhatEachWalkReads) {
  const WalkCase& c = GetParam();
  GameFolder game;
  const std::filesystem::path sample =
      std::filesystem::path(game.Path()) / "VexMod/ServerData/deathmatch.txt";
  game.WriteConfig("-name", test::FileText(sample));
  std::vector<std::string> arguments = {"--check-config", "--dump-options", "block.bin"};
  arguments.insert(arguments.end(), c.Arguments.begin(), c.Arguments.end());

  ChildProcess check(kProgram, arguments, game.Path());
  // A command line that drew a warning fails the check (64), which still shows what it read.
  ASSERT_EQ(check.WaitForExit(), c.Warnings.empty() ? 0 : 64) << check.Output() << check.Errors();
  EXPECT_NE(check.Output().find("Configuration file: " + c.ConfigFile + "\n"), std::string::npos)
      << check.Output();
  for (const std::string& warning : c.Warnings) {
    EXPECT_NE(check.Errors().find("vexserver: warning: " + warning + "\n"), std::string::npos)
        << check.Errors();
  }
  const CGameOptions block =
      test::ReadDumpedBlock(std::filesystem::path(game.Path()) / "block.bin");
  EXPECT_EQ(FixedTextView(block.ServName), c.ServerName);
  EXPECT_EQ(block.PortID, c.Port);
}

INSTANTIATE_TEST_SUITE_P(
    CommandLines, GameOptionWalk,
    ::testing::Values(
        WalkCase{"ConfigTakesAnOptionOfTheBlock",
                 {"-config", "-name", "Box"},
                 "VexMod/ServerData/-name.txt",
                 "Box",
                 27888,
                 {"-config takes \"-name\" as its value; the game reads it as the option -name "
                  "too"}},
        WalkCase{"PortTakesTheConfigOption",
                 {"-port", "-config", "deathmatch"},
                 "VexMod/ServerData/deathmatch.txt",
                 "Vex Deathmatch",
                 0,
                 {"-port takes \"-config\" as its value; the game reads it as the option -config "
                  "too",
                  "-port -config is not a port number from 0 to 65535; the game reads it as 0"}},
        WalkCase{"NameTakesTheConfigOption",
                 {"-name", "-config", "deathmatch"},
                 "VexMod/ServerData/deathmatch.txt",
                 "-config",
                 27888,
                 {"-name takes \"-config\" as its value; the game reads it as the option -config "
                  "too"}},
        WalkCase{"LogLosesItsValueToTheGame",
                 {"-log", "-config", "deathmatch"},
                 "VexMod/ServerData/deathmatch.txt",
                 "Vex Deathmatch",
                 27888,
                 {"-log needs a value, but the game reads the next argument, -config, as its "
                  "option; -log is ignored"}},
        WalkCase{"DumpFileBeforeTheGameOptions",
                 {"-port", "8", "-config", "deathmatch"},
                 "VexMod/ServerData/deathmatch.txt",
                 "Vex Deathmatch",
                 8,
                 {}},
        WalkCase{"SecondDumpLosesItsValueToTheGame",
                 {"--dump-options", "-port", "8", "-config", "deathmatch"},
                 "VexMod/ServerData/deathmatch.txt",
                 "Vex Deathmatch",
                 8,
                 {"--dump-options needs a value, but the game reads the next argument, -port, as "
                  "its option; --dump-options is ignored"}},
        WalkCase{"ConfigGivenTwice",
                 {"-config", "hunt", "-CONFIG", "deathmatch"},
                 "VexMod/ServerData/deathmatch.txt",
                 "Vex Deathmatch",
                 27888,
                 {"-config is given more than once; the last one, \"deathmatch\", is used"}},
        WalkCase{"PortGivenTwice",
                 {"-config", "deathmatch", "-port", "1", "-port", "2"},
                 "VexMod/ServerData/deathmatch.txt",
                 "Vex Deathmatch",
                 2,
                 {"-port is given more than once; the last one, \"2\", is used"}}),
    [](const auto& row) { return row.param.Name; });

}  // namespace
}  // namespace vex
