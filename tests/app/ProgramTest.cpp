#include <gtest/gtest.h>
#include <signal.h>

#include <filesystem>
#include <string>

#include "tests/support/ChildProcess.h"
#include "tests/support/ProgramFixtures.h"

namespace vex {
namespace {

namespace fs = std::filesystem;
using test::ChildProcess;
using test::FreePort;
using test::GameFolder;
using test::HeldPort;
using test::kProgram;

const std::string kStartFailed = "ERROR - Unable to start server.";

TEST(Program, HelpAndVersion) {
  GameFolder game;
  ChildProcess help(kProgram, {"--help"}, game.Path());
  EXPECT_EQ(help.WaitForExit(), 0);
  EXPECT_NE(help.Output().find("-config NAME"), std::string::npos);
  ChildProcess version(kProgram, {"--version"}, game.Path());
  EXPECT_EQ(version.WaitForExit(), 0);
  EXPECT_EQ(version.Output().rfind("VexServer ", 0), 0u);
}

TEST(ConfigCheck, SummarisesTheSampleAndDumpsTheBlock) {
  GameFolder game;
  ChildProcess check(
      kProgram,
      {"--check-config", "-config", "deathmatch", "-port", "4000", "--dump-options", "block.bin"},
      game.Path());
  ASSERT_EQ(check.WaitForExit(), 0) << check.Errors();
  EXPECT_NE(check.Output().find("Vex Deathmatch"), std::string::npos) << check.Output();
  EXPECT_NE(check.Output().find("4000"), std::string::npos) << check.Output();
  EXPECT_NE(check.Output().find("Arena"), std::string::npos) << check.Output();
  EXPECT_EQ(fs::file_size(fs::path(game.Path()) / "block.bin"), 1756u);
}

// Names and texts from the operator's files and command line reach the terminal as text: an
// escape sequence or a C1 control (0x9b starts a sequence on some terminals) is shown escaped.
TEST(ConfigCheck, ControlBytesOfNamesAndTextsAreShownAsEscapes) {
  GameFolder game;
  game.WriteConfig("odd",
                   "[Settings]\nGameType = 1\nServName = \"red\x1b[31m\xc2\x9b!\"\n"
                   "[Deathmatch]\nMap00 = \"Worlds\\Multi\\Arena\"\n");
  ChildProcess summary(kProgram, {"--check-config", "-config", "odd"}, game.Path());
  ASSERT_EQ(summary.WaitForExit(), 0) << summary.Errors();
  EXPECT_NE(summary.Output().find("Server name: red\\x1b[31m\\xc2\\x9b!"), std::string::npos)
      << summary.Output();
  EXPECT_EQ(summary.Output().find('\x1b'), std::string::npos);

  ChildProcess missing(kProgram, {"--check-config", "-config", "no\x1b]0;title\x07such"},
                       game.Path());
  EXPECT_EQ(missing.WaitForExit(), 11);
  EXPECT_NE(missing.Errors().find("no\\x1b]0;title\\x07such"), std::string::npos)
      << missing.Errors();
  EXPECT_EQ(missing.Errors().find('\x1b'), std::string::npos);
  EXPECT_EQ(missing.Errors().find('\x07'), std::string::npos);
}

TEST(Program, StartedOutsideAGameFolderSaysTheConfigurationFolderIsMissing) {
  test::ScratchFolder elsewhere;
  const std::string missing = "./VexMod/ServerData is missing in " +
                              fs::canonical(elsewhere.Path()).string() +
                              ": start the server in the game's folder.";
  ChildProcess check(kProgram, {"--check-config", "-config", "deathmatch"},
                     elsewhere.Path().string());
  EXPECT_EQ(check.WaitForExit(), 11);
  EXPECT_NE(check.Errors().find(missing), std::string::npos) << check.Errors();

  ChildProcess server(kProgram, {"-console", "-port", FreePort()}, elsewhere.Path().string());
  EXPECT_EQ(server.WaitForExit(), 4);
  EXPECT_NE(server.Output().find(missing), std::string::npos) << server.Output();
}

struct CheckCase {
  const char* name;
  const char* config;  // written as bad.txt when not null
  std::vector<std::string> arguments;
  int exitCode;
  std::vector<std::string> errors;
};

TEST(ConfigCheck, ReportsEachConfigurationErrorByItsNumber) {
  const CheckCase cases[] = {
      {"no -config", nullptr, {}, 10, {"ERROR - No server configuration file.", "deathmatch"}},
      {"missing file", nullptr, {"-config", "nosuch"}, 11, {"could not be read properly"}},
      {"syntax error",
       "[Settings]\nServName = \"x\"\nGameType = ?\n",
       {"-config", "bad"},
       11,
       {"line 3", "Bad symbol encountered."}},
      {"unknown game type",
       "[Settings]\nGameType = 7\n",
       {"-config", "bad"},
       13,
       {"unknown game type"}},
      {"no levels", "[Settings]\nGameType = 1\n", {"-config", "bad"}, 12, {"no maps selected"}},
  };
  for (const auto& c : cases) {
    GameFolder game;
    if (c.config != nullptr) {
      game.WriteConfig("bad", c.config);
    }
    std::vector<std::string> arguments = {"--check-config"};
    arguments.insert(arguments.end(), c.arguments.begin(), c.arguments.end());
    ChildProcess check(kProgram, arguments, game.Path());
    EXPECT_EQ(check.WaitForExit(), c.exitCode) << c.name;
    for (const auto& text : c.errors) {
      EXPECT_NE(check.Errors().find(text), std::string::npos) << c.name << ": " << check.Errors();
    }
  }
}

TEST(ConfigCheck, TypeMismatchIsAWarningWithFileAndLine) {
  GameFolder game;
  game.WriteConfig("scaled",
                   "[Settings]\nGameType = 1\n[Preferences]\nDamScale = 1.5\n"
                   "[Deathmatch]\nMap00 = \"Worlds\\Multi\\Arena\"\n");
  ChildProcess check(kProgram, {"--check-config", "-config", "scaled"}, game.Path());
  EXPECT_EQ(check.WaitForExit(), 0) << check.Errors();
  EXPECT_NE(check.Errors().find("Type mismatch - [Preferences]:DamScale"), std::string::npos)
      << check.Errors();
  EXPECT_NE(check.Errors().find("scaled.txt"), std::string::npos) << check.Errors();
}

TEST(ConsoleFrontEnd, RunsEchoesACommandAndStopsOnSigint) {
  GameFolder game;
  ChildProcess server(kProgram, {"-console", "-config", "deathmatch", "-port", FreePort()},
                      game.Path());
  ASSERT_TRUE(server.WaitForOutput("Server is running.")) << server.Output() << server.Errors();
  const auto initializing = server.Output().find("Initializing the server...");
  const auto initialized = server.Output().find("Server initialized.");
  ASSERT_NE(initializing, std::string::npos);
  EXPECT_LT(initializing, initialized);
  server.Write("say hello\n");
  EXPECT_TRUE(server.WaitForOutput("<< Server >>  say hello")) << server.Output();
  server.Signal(SIGINT);
  EXPECT_EQ(server.WaitForExit(), 2) << server.Errors();
  EXPECT_NE(server.Output().find("Server stopped."), std::string::npos) << server.Output();
}

TEST(ConsoleFrontEnd, EndOfInputDoesNotStopTheServer) {
  GameFolder game;
  ChildProcess server(kProgram, {"-console", "-config", "deathmatch", "-port", FreePort()},
                      game.Path());
  ASSERT_TRUE(server.WaitForOutput("Server is running.")) << server.Errors();
  server.CloseInput();
  EXPECT_EQ(server.WaitForExit(std::chrono::milliseconds(500)), -1);
}

TEST(ConsoleFrontEnd, SigtermStopsLikeTheStopButton) {
  GameFolder game;
  ChildProcess server(kProgram, {"-console", "-config", "deathmatch", "-port", FreePort()},
                      game.Path());
  ASSERT_TRUE(server.WaitForOutput("Server is running.")) << server.Errors();
  server.Signal(SIGTERM);
  EXPECT_EQ(server.WaitForExit(), 2);
  EXPECT_NE(server.Output().find("Server stopped."), std::string::npos);
}

TEST(ConsoleFrontEnd, FailedStartShowsItsReportThenTheStartReportAndExitsWith4) {
  GameFolder game;
  ChildProcess server(kProgram, {"-console", "-config", "deathmatch", "-port", FreePort()},
                      game.Path(), {"VEX_SIM_FAULT=gamecode"});
  EXPECT_EQ(server.WaitForExit(), 4);
  const auto specific = server.Errors().find("ERROR - Unable to load the game binaries.");
  const auto start = server.Errors().find(kStartFailed);
  ASSERT_NE(specific, std::string::npos) << server.Errors();
  ASSERT_NE(start, std::string::npos) << server.Errors();
  EXPECT_LT(specific, start);
}

TEST(ConsoleFrontEnd, PortAlreadyTakenCannotBeHosted) {
  GameFolder game;
  HeldPort taken;
  ChildProcess server(kProgram, {"-console", "-config", "deathmatch", "-port", taken.Port()},
                      game.Path());
  EXPECT_EQ(server.WaitForExit(), 4);
  const auto host = server.Errors().find("ERROR - Unable to host the game.");
  ASSERT_NE(host, std::string::npos) << server.Errors();
  EXPECT_LT(host, server.Errors().find(kStartFailed));
}

}  // namespace
}  // namespace vex
