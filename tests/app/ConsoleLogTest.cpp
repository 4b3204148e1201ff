// The console log of a running vexserver (-log), its rotation by rename and SIGUSR1, and the
// time before terminal lines (-timestamps).
#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <regex>
#include <sstream>
#include <string>
#include <vector>

#include "tests/support/ChildProcess.h"
#include "tests/support/ProgramFixtures.h"

namespace vex {
namespace {

using namespace std::chrono_literals;
using test::ChildProcess;
using test::FreePort;
using test::GameFolder;
using test::kProgram;

const std::regex kStampedLine(R"(\d{4}-\d\d-\d\dT\d\d:\d\d:\d\d\.\d{3}[+-]\d\d:\d\d .*)");

std::vector<std::string> Lines(const std::filesystem::path& path) {
  std::ifstream file(path);
  std::vector<std::string> lines;
  std::string line;
  while (std::getline(file, line)) {
    lines.push_back(line);
  }
  return lines;
}

bool WaitForFile(const std::filesystem::path& path, ChildProcess& server) {
  return server.CollectUntil([&] { return std::filesystem::exists(path); }, 20s, 20ms);
}

TEST(ConsoleLog, EveryLineStampedAndNoneLostAcrossRenameAndReopen) {
  GameFolder game;
  const std::filesystem::path log = game.Path() + "/server.log";
  const std::filesystem::path rotated = game.Path() + "/server.log.1";
  ChildProcess server(kProgram,
                      {"-console", "-config", "deathmatch", "-port", FreePort(), "-log",
                       log.string(), "-timestamps=0"},
                      game.Path());
  ASSERT_TRUE(server.WaitForOutput("Server is running.", 20s)) << server.Errors();

  // Commands keep coming while the file is renamed and reopened, as a busy server's lines do.
  constexpr int kCommands = 300;
  for (int i = 0; i < kCommands; ++i) {
    server.Write("marker-" + std::to_string(i) + "\n");
    if (i == 100) {
      std::filesystem::rename(log, rotated);
      server.Signal(SIGUSR1);
    }
    if (i == 200) {
      ASSERT_TRUE(WaitForFile(log, server)) << "SIGUSR1 did not open the log again";
      // Unlike a stop signal, a second one does the same as the first.
      server.Signal(SIGUSR1);
    }
  }
  ASSERT_TRUE(server.WaitForOutput("marker-" + std::to_string(kCommands - 1), 20s));
  server.Signal(SIGTERM);
  ASSERT_EQ(server.WaitForExit(20s), 2) << server.Errors();

  std::vector<std::string> lines = Lines(rotated);
  const std::vector<std::string> after = Lines(log);
  ASSERT_FALSE(after.empty());
  lines.insert(lines.end(), after.begin(), after.end());
  std::string logged;
  for (const std::string& line : lines) {
    EXPECT_TRUE(std::regex_match(line, kStampedLine)) << line;
    logged += line.substr(line.find(' ') + 1) + "\n";
  }
  // Every console line of the terminal is in the log, in the same order.
  std::istringstream terminal(server.Output());
  std::string line;
  std::size_t from = 0;
  int echoes = 0;
  while (std::getline(terminal, line)) {
    if (line.rfind("<< ", 0) != 0 && line != "Server is running." && line != "Server stopped.") {
      continue;
    }
    const std::size_t at = logged.find(line + "\n", from);
    ASSERT_NE(at, std::string::npos) << "not logged: " << line;
    from = at + line.size();
    echoes += line.rfind("<< ", 0) == 0 ? 1 : 0;
  }
  EXPECT_EQ(echoes, kCommands);
}

TEST(ConsoleLog, AFileThatCannotBeOpenedStopsTheStartWithTheReason) {
  GameFolder game;
  ChildProcess server(kProgram,
                      {"-console", "-config", "deathmatch", "-port", FreePort(), "-log",
                       game.Path() + "/no/such/folder/server.log"},
                      game.Path());
  EXPECT_EQ(server.WaitForExit(20s), 4);
  EXPECT_NE(server.Errors().find("cannot open the log file"), std::string::npos) << server.Errors();
  EXPECT_EQ(server.Output().find("Server is running."), std::string::npos);
}

// A FIFO would hold the open until a reader came, and a reader that never reads would hold the
// last lines, and the end of the program, for ever.
TEST(ConsoleLog, AFifoIsRefusedAtTheStartWhetherOrNotItHasAReader) {
  GameFolder game;
  const std::filesystem::path fifo = game.Path() + "/server.log";
  ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
  for (const bool reader : {false, true}) {
    const int readEnd = reader ? open(fifo.c_str(), O_RDONLY | O_NONBLOCK) : -1;
    ChildProcess server(
        kProgram, {"-console", "-config", "deathmatch", "-port", FreePort(), "-log", fifo.string()},
        game.Path());
    EXPECT_EQ(server.WaitForExit(20s), 4) << "reader: " << reader;
    EXPECT_NE(server.Errors().find("not a regular file (a FIFO)"), std::string::npos)
        << server.Errors();
    if (readEnd >= 0) {
      close(readEnd);
    }
  }
}

TEST(ConsoleLog, AFifoPutAtThePathBeforeTheReopenKeepsTheLogInTheFileItHad) {
  GameFolder game;
  const std::filesystem::path log = game.Path() + "/server.log";
  const std::filesystem::path rotated = game.Path() + "/server.log.1";
  ChildProcess server(
      kProgram, {"-console", "-config", "deathmatch", "-port", FreePort(), "-log", log.string()},
      game.Path());
  ASSERT_TRUE(server.WaitForOutput("Server is running.", 20s)) << server.Errors();
  std::filesystem::rename(log, rotated);
  ASSERT_EQ(mkfifo(log.c_str(), 0600), 0);
  server.Signal(SIGUSR1);
  server.Write("say after the reopen\n");
  ASSERT_TRUE(server.WaitForOutput("say after the reopen", 20s));
  server.Signal(SIGTERM);
  EXPECT_EQ(server.WaitForExit(20s), 2) << server.Errors();
  EXPECT_NE(server.Errors().find("cannot reopen the log file " + log.string() +
                                 ": not a regular file (a FIFO)"),
            std::string::npos)
      << server.Errors();
  std::ifstream file(rotated);
  const std::string logged((std::istreambuf_iterator<char>(file)), {});
  EXPECT_NE(logged.find("say after the reopen"), std::string::npos) << logged;
  EXPECT_NE(logged.find("Server stopped."), std::string::npos) << logged;
}

struct TimestampCase {
  const char* Name;
  std::vector<std::string> Arguments;
  bool Stamped;
};

void PrintTo(const TimestampCase& c, std::ostream* out) {
  *out << c.Name;
}

class TerminalTimestamps : public ::testing::TestWithParam<TimestampCase> {};

// Standard output is a pipe here, so lines carry their time unless told otherwise.
TEST_P(TerminalTimestamps, FollowTheOptionAndTheKindOfOutput) {
  GameFolder game;
  std::vector<std::string> arguments{"-console", "-config", "deathmatch", "-port", FreePort()};
  arguments.insert(arguments.end(), GetParam().Arguments.begin(), GetParam().Arguments.end());
  ChildProcess server(kProgram, arguments, game.Path());
  ASSERT_TRUE(server.WaitForOutput("Server is running.", 20s)) << server.Errors();
  server.Signal(SIGTERM);
  ASSERT_EQ(server.WaitForExit(20s), 2);
  std::istringstream output(server.Output());
  std::string line;
  int lines = 0;
  while (std::getline(output, line)) {
    ++lines;
    EXPECT_EQ(std::regex_match(line, kStampedLine), GetParam().Stamped) << line;
  }
  EXPECT_GT(lines, 2);
}

INSTANTIATE_TEST_SUITE_P(Options, TerminalTimestamps,
                         ::testing::Values(TimestampCase{"ByDefaultOnAPipe", {}, true},
                                           TimestampCase{"TurnedOff", {"-timestamps=0"}, false},
                                           TimestampCase{"AskedFor", {"-timestamps"}, true}),
                         [](const auto& each) { return std::string(each.param.Name); });

}  // namespace
}  // namespace vex
