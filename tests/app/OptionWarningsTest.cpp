#include <gtest/gtest.h>
#include <signal.h>

#include <filesystem>
#include <ostream>
#include <string>
#include <vector>

#include "tests/support/ChildProcess.h"
#include "tests/support/ProgramFixtures.h"

namespace vex {
namespace {

using test::ChildProcess;
using test::FreePort;
using test::GameFolder;
using test::kProgram;

struct WarningCase {
  std::string Name;
  std::vector<std::string> Arguments;
  std::string Warning;  // what standard error says
  std::string Summary;  // a line of the summary that shows how the game read the command line
};

void PrintTo(const WarningCase& row, std::ostream* out) {
  *out << row.Name;
}

class OptionWarning : public ::testing::TestWithParam<WarningCase> {};

// The configuration check reads the command line as hosting does, so each warning shows there
// with the configuration that the game would host; and it fails, as a start check must.
TEST_P(OptionWarning, CheckConfigSaysWhatWasIgnoredOrMisread) {
  GameFolder game;
  std::vector<std::string> arguments = {"--check-config", "-config", "deathmatch"};
  arguments.insert(arguments.end(), GetParam().Arguments.begin(), GetParam().Arguments.end());
  ChildProcess check(kProgram, arguments, game.Path());
  ASSERT_EQ(check.WaitForExit(), 64) << check.Errors();
  EXPECT_NE(check.Errors().find("vexserver: warning: " + GetParam().Warning), std::string::npos)
      << check.Errors();
  EXPECT_NE(check.Output().find(GetParam().Summary), std::string::npos) << check.Output();
}

INSTANTIATE_TEST_SUITE_P(
    CommandLines, OptionWarning,
    ::testing::Values(
        WarningCase{"DoubleDash",
                    {"--port", "4000"},
                    "unknown option --port (did you mean -port?)",
                    "Port: 27888"},
        WarningCase{"Misspelt",
                    {"-prot", "4000"},
                    "unknown option -prot (did you mean -port?)",
                    "Port: 27888"},
        WarningCase{"SingleDashVersion",
                    {"-version"},
                    "unknown option -version (did you mean --version?)",
                    "Port: 27888"},
        WarningCase{"MisspeltRemote",
                    {"-rconprot", "1"},
                    "unknown option -rconprot (did you mean -rconport?)",
                    "Port: 27888"},
        WarningCase{"MisspeltWeb",
                    {"-wbport", "8080"},
                    "unknown option -wbport (did you mean -webport?)",
                    "Port: 27888"},
        WarningCase{
            "StrayValue", {"-port", "4000", "4001"}, "\"4001\" is not an option", "Port: 4000"},
        WarningCase{"PortNotANumber",
                    {"-port", "abc"},
                    "-port abc is not a port number from 0 to 65535; the game reads it as 0",
                    "Port: 0"},
        WarningCase{"PortOutOfRange",
                    {"-port", "99999"},
                    "-port 99999 is not a port number from 0 to 65535; the game reads it as 34463",
                    "Port: 34463"},
        WarningCase{"RemotePortOutOfRange",
                    {"-rconport", "70000"},
                    "-rconport 70000 is not a port number from 0 to 65535",
                    "Port: 27888"},
        WarningCase{"RconIdleNotANumber",
                    {"-rconidle", "ten"},
                    "-rconidle ten is not a number of seconds from 1 to 86400; it is ignored",
                    "Port: 27888"},
        WarningCase{"RconIdleZero",
                    {"-rconidle", "0"},
                    "-rconidle 0 is not a number of seconds from 1 to 86400; it is ignored",
                    "Port: 27888"},
        WarningCase{"RconIdleOverADay",
                    {"-rconidle", "86401"},
                    "-rconidle 86401 is not a number of seconds from 1 to 86400; it is ignored",
                    "Port: 27888"},
        WarningCase{"WebHostEmpty",
                    {"-webhost", ""},
                    "-webhost \"\" holds an empty name; it is ignored",
                    "Port: 27888"},
        WarningCase{"WebHostEmptyInAList",
                    {"-webhost", "proxy.example,,vex.example"},
                    "-webhost \"proxy.example,,vex.example\" holds an empty name; it is ignored",
                    "Port: 27888"},
        WarningCase{"WebHostWithPort",
                    {"-webhost", "proxy.example:8443"},
                    "-webhost \"proxy.example:8443\" is not a host name (letters, digits, dots, "
                    "dashes and underscores); it is ignored",
                    "Port: 27888"},
        WarningCase{"ValueNamedLikeAnOption",
                    {"-name", "-port", "4000"},
                    "-name takes \"-port\" as its value; it is not read as the option -port",
                    "Server name: -port"},
        WarningCase{"GameOptionWithoutValue",
                    {"-port"},
                    "-port needs a value after it; it is ignored",
                    "Port: 27888"}),
    [](const auto& row) { return row.param.Name; });

// A value is never read as an option: the log takes "-rconport", and 5555 is no RCON port.
TEST(OptionWarning, HostingServerWarnsAndReadsOneArgumentOneWay) {
  GameFolder game;
  ChildProcess server(
      kProgram,
      {"-console", "-config", "deathmatch", "-port", FreePort(), "-log", "-rconport", "5555"},
      game.Path(), {"VEX_RCON_PASSWORD=s3cret"});
  ASSERT_TRUE(server.WaitForOutput("Server is running.")) << server.Output() << server.Errors();
  EXPECT_NE(server.Errors().find("vexserver: warning: -log takes \"-rconport\" as its value"),
            std::string::npos)
      << server.Errors();
  EXPECT_NE(server.Errors().find("vexserver: warning: \"5555\" is not an option"),
            std::string::npos);
  server.Signal(SIGTERM);
  EXPECT_EQ(server.WaitForExit(), 2) << server.Errors();
  EXPECT_TRUE(std::filesystem::is_regular_file(std::filesystem::path(game.Path()) / "-rconport"));
  EXPECT_EQ(server.Output().find("RCON: listening on TCP port 5555"), std::string::npos)
      << server.Output();
}

}  // namespace
}  // namespace vex
