#include <gtest/gtest.h>

#include <ostream>

#include "app/ProgramOptions.h"
#include "config/CommandLine.h"
#include "config/RemoteOptions.h"

namespace vex {
namespace {

struct OptionsCase {
  std::string Name = {};
  std::vector<std::string> Arguments = {};
  bool Console = false;
  bool CheckConfig = false;
  std::optional<std::string> Log = {};
  std::optional<std::string> Dump = {};
  bool Error = false;
  std::optional<std::uint16_t> RconPort = {};
  std::size_t Warnings = 0;
};

void PrintTo(const OptionsCase& row, std::ostream* out) {
  *out << row.Name;
}

std::vector<std::string> Argv(const std::vector<std::string>& arguments) {
  std::vector<std::string> argv{"vexserver"};
  argv.insert(argv.end(), arguments.begin(), arguments.end());
  return argv;
}

class OneWalk : public ::testing::TestWithParam<OptionsCase> {};

// The program's and the remote services' readings of one command line never disagree about
// which argument is an option and which a value.
TEST_P(OneWalk, EveryOwnerReadsTheSameArgumentsTheSameWay) {
  const OptionsCase& c = GetParam();
  const std::vector<std::string> argv = Argv(c.Arguments);
  const ProgramOptions options = ParseProgramOptions(argv);
  EXPECT_EQ(options.Console, c.Console);
  EXPECT_EQ(options.CheckConfig, c.CheckConfig);
  EXPECT_EQ(options.LogFile, c.Log);
  EXPECT_EQ(options.DumpOptionsFile, c.Dump);
  EXPECT_EQ(!options.Error.empty(), c.Error) << options.Error;
  EXPECT_EQ(ParseRemoteOptions(argv).RconPort, c.RconPort);
  EXPECT_EQ(options.Warnings.size(), c.Warnings) << ::testing::PrintToString(options.Warnings);
}

INSTANTIATE_TEST_SUITE_P(
    CommandLines, OneWalk,
    ::testing::Values(
        OptionsCase{.Name = "Nothing"},
        OptionsCase{.Name = "ConsoleInCapitals", .Arguments = {"-CONSOLE"}, .Console = true},
        OptionsCase{
            .Name = "ValueOfNameIsNoOption", .Arguments = {"-name", "-console"}, .Warnings = 1},
        OptionsCase{.Name = "LogTakesTheNextArgumentWhateverItIs",
                    .Arguments = {"-console", "-log", "-rconport", "5555"},
                    .Console = true,
                    .Log = "-rconport",
                    .Warnings = 2},
        OptionsCase{.Name = "BetweenGameOptions",
                    .Arguments = {"-config", "dm", "-console", "-port", "5"},
                    .Console = true},
        OptionsCase{.Name = "CheckWithDump",
                    .Arguments = {"--check-config", "-config", "dm", "--dump-options", "out.bin"},
                    .CheckConfig = true,
                    .Dump = "out.bin"},
        OptionsCase{.Name = "DumpWithoutAFile", .Arguments = {"--dump-options"}, .Error = true},
        OptionsCase{.Name = "RemotePortAfterAGameOption",
                    .Arguments = {"-config", "dm", "-rconport", "28000"},
                    .RconPort = 28000},
        OptionsCase{.Name = "StrayValuesAndMisspellings",
                    .Arguments = {"--port", "5", "-prot", "6", "-console"},
                    .Console = true,
                    .Warnings = 4},
        OptionsCase{.Name = "PortsNoPortCanHave",
                    .Arguments = {"-port", "abc", "-rconport", "70000"},
                    .Warnings = 2},
        OptionsCase{.Name = "TimestampsOffIsNoUnknownOption", .Arguments = {"-timestamps=0"}},
        OptionsCase{.Name = "TimestampsTwiceIsARepeat",
                    .Arguments = {"-timestamps=0", "-TIMESTAMPS=1"},
                    .Warnings = 1},
        OptionsCase{.Name = "LogWhoseValueTheGameReadsAsAnOption",
                    .Arguments = {"-log", "-config", "dm"},
                    .Warnings = 1},
        OptionsCase{.Name = "DumpWhoseValueTheGameReadsAsAnOption",
                    .Arguments = {"--check-config", "--dump-options", "-port", "8"},
                    .CheckConfig = true,
                    .Warnings = 1},
        OptionsCase{.Name = "RemotePortWhoseValueTheGameReadsAsAnOption",
                    .Arguments = {"-rconport", "-name", "Box"},
                    .Warnings = 1},
        OptionsCase{.Name = "GameValuesAreNeverOurOptions",
                    .Arguments = {"-config", "-console", "-name", "-log", "-port", "-rconport"},
                    .Warnings = 4},
        OptionsCase{.Name = "RemoteOptionGivenTwice",
                    .Arguments = {"-rconport", "1", "-rconport", "2"},
                    .RconPort = 2,
                    .Warnings = 1},
        OptionsCase{.Name = "HostNamesAreMeantToRepeat",
                    .Arguments = {"-webhost", "a.example", "-webhost", "b.example"}}),
    [](const auto& row) { return row.param.Name; });

TEST(CommandLineOptions, WarningsNameTheArgumentAndTheOptionMeant) {
  const CommandLineOptions options(Argv({"-wbport", "8080", "-rconprot", "1", "-version"}));
  const std::vector<std::string> expected = {
      "unknown option -wbport (did you mean -webport?); it is ignored",
      "\"8080\" is not an option; it is ignored",
      "unknown option -rconprot (did you mean -rconport?); it is ignored",
      "\"1\" is not an option; it is ignored",
      "unknown option -version (did you mean --version?); it is ignored",
  };
  EXPECT_EQ(options.Warnings(), expected);
  EXPECT_EQ(CommandLineOptions(Argv({"-port", "99999"})).Warnings(),
            std::vector<std::string>{
                "-port 99999 is not a port number from 0 to 65535; the game reads it as 34463"});
}

TEST(UsageText, ListsEveryOptionOfTheTable) {
  const std::string usage = UsageText("vexserver");
  for (const OptionRow& row : OptionTable()) {
    EXPECT_NE(usage.find("  " + std::string(row.Name)), std::string::npos) << row.Name;
  }
  EXPECT_EQ(usage.find('\\'), std::string::npos);
}

}  // namespace
}  // namespace vex
