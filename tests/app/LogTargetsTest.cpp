// What -log may name, and what a file that stops taking lines leaves in it.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <regex>
#include <string>

#include "tests/app/PseudoTerminal.h"
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

std::size_t Count(const std::string& text, const std::string& part) {
  std::size_t count = 0;
  for (std::size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) {
    ++count;
  }
  return count;
}

TEST(LogTargets, DevNullTakesTheLog) {
  GameFolder game;
  ChildProcess server(
      kProgram, {"-console", "-config", "deathmatch", "-port", FreePort(), "-log", "/dev/null"},
      game.Path());
  ASSERT_TRUE(server.WaitForOutput("Server is running.", 20s)) << server.Errors();
  server.Signal(SIGTERM);
  EXPECT_EQ(server.WaitForExit(20s), 2) << server.Errors();
}

// On a terminal, /dev/stdout is the terminal itself: each line shows twice, once with its time.
TEST(LogTargets, StandardOutputOnATerminalTakesTheLog) {
  GameFolder game;
  test::PseudoTerminal terminal(
      kProgram, {"-console", "-config", "deathmatch", "-port", FreePort(), "-log", "/dev/stdout"},
      game.Path(), {});
  ASSERT_TRUE(terminal.WaitFor("Server is running.")) << terminal.Screen();
  ASSERT_TRUE(
      terminal.WaitFor("Server is running.", terminal.Screen().find("Server is running.") + 1))
      << terminal.Screen();
  EXPECT_TRUE(std::regex_search(terminal.Screen(),
                                std::regex(R"(\d\d:\d\d\.\d{3}[+-]\d\d:\d\d Server is running\.)")))
      << terminal.Screen();
  terminal.Signal(SIGTERM);
  EXPECT_EQ(terminal.WaitForExit(), 2) << terminal.Screen();
}

TEST(LogTargets, AFolderIsRefusedByItsName) {
  GameFolder game;
  const std::string folder = game.Path() + "/VexMod";
  ChildProcess server(kProgram,
                      {"-console", "-config", "deathmatch", "-port", FreePort(), "-log", folder},
                      game.Path());
  EXPECT_EQ(server.WaitForExit(20s), 4);
  EXPECT_NE(server.Errors().find("cannot open the log file " + folder +
                                 ": not a regular file (a directory)"),
            std::string::npos)
      << server.Errors();
}

// The server's file size limit brought down to what the log holds makes every write fail, as a
// full disk does, until it is raised again.
TEST(LogTargets, LinesLostToFailedWritesAreCountedOnceTheFileTakesLinesAgain) {
  GameFolder game;
  const std::filesystem::path log = std::filesystem::path(game.Path()) / "server.log";
  ChildProcess server(
      kProgram, {"-console", "-config", "deathmatch", "-port", FreePort(), "-log", log.string()},
      game.Path());
  ASSERT_TRUE(server.WaitForOutput("Server is running.", 20s)) << server.Errors();
  ASSERT_TRUE(server.AskUntil(
      "say before", [&] { return FileText(log).find("say before") != std::string::npos; }, 20s));

  const rlimit full{static_cast<rlim_t>(std::filesystem::file_size(log)), RLIM_INFINITY};
  ASSERT_EQ(prlimit(server.Pid(), RLIMIT_FSIZE, &full, nullptr), 0);
  for (const char* line : {"say lost one", "say lost two", "say lost three"}) {
    server.Write(std::string(line) + "\n");
    ASSERT_TRUE(server.WaitForOutput(line, 20s));
  }
  ASSERT_TRUE(server.CollectUntil(
      [&] { return server.Errors().find("cannot write the log file") != std::string::npos; }, 20s));

  const rlimit unlimited{RLIM_INFINITY, RLIM_INFINITY};
  ASSERT_EQ(prlimit(server.Pid(), RLIMIT_FSIZE, &unlimited, nullptr), 0);
  ASSERT_TRUE(server.AskUntil(
      "say after", [&] { return FileText(log).find("say after") != std::string::npos; }, 20s));
  server.Signal(SIGTERM);
  EXPECT_EQ(server.WaitForExit(20s), 2) << server.Errors();

  const std::string logged = FileText(log);
  EXPECT_NE(server.Errors().find("cannot write the log file " + log.string() + ": File too large"),
            std::string::npos)
      << server.Errors();
  const std::size_t note = logged.find(" lines were not logged: File too large.]");
  ASSERT_NE(note, std::string::npos) << logged;
  EXPECT_LT(note, logged.find("say after"));
  // The log's writer may reach the last lost lines only after the limit is raised, so some may
  // be written after the note; none before it, and every echo missing from the file is counted.
  EXPECT_EQ(Count(logged.substr(0, note), "say lost"), 0u) << logged;
  const std::size_t count = std::stoul(logged.substr(logged.rfind('[', note) + 1));
  EXPECT_GE(count, 3u - Count(logged, "say lost")) << logged;
  EXPECT_GE(count, 1u) << logged;
}

}  // namespace
}  // namespace vex
