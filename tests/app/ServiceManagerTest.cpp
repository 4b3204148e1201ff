// vexserver under a service manager: the notifications it sends to a notification socket made
// here, and the journal priorities of its error lines.
#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <signal.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include "NotifySocket.h"
#include "tests/support/ChildProcess.h"
#include "tests/support/ProgramFixtures.h"
#include "tests/support/WaitUntil.h"

namespace vex {
namespace {

using namespace std::chrono_literals;
using test::ChildProcess;
using test::FreePort;
using test::GameFolder;
using test::kProgram;
using test::NotifySocket;
using test::WaitUntil;

// Whether something else already holds the UDP port on all interfaces.
bool PortTaken(const std::string& port) {
  const int probe = socket(AF_INET, SOCK_DGRAM, 0);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_ANY);
  address.sin_port = htons(static_cast<std::uint16_t>(std::stoi(port)));
  const bool taken = bind(probe, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0;
  close(probe);
  return taken;
}

bool HasLine(const std::string& datagram, const std::string& line) {
  std::istringstream lines(datagram);
  std::string each;
  while (std::getline(lines, each)) {
    if (each == line) {
      return true;
    }
  }
  return false;
}

class ServiceManager : public ::testing::Test {
 protected:
  void Start(const std::vector<std::string>& environment, const std::string& name) {
    std::vector<std::string> variables{notify_.Variable(), "WATCHDOG_USEC=1000000"};
    variables.insert(variables.end(), environment.begin(), environment.end());
    server_.emplace(kProgram,
                    std::vector<std::string>{"-console", "-config", "deathmatch", "-port", port_,
                                             "-name", name},
                    game_.Path(), variables);
  }

  GameFolder game_;
  NotifySocket notify_;
  std::string port_ = FreePort();
  std::optional<ChildProcess> server_;
};

TEST_F(ServiceManager, ReadyAfterHostingThenStatusPingsAndStopping) {
  // A line feed in the name must not become an assignment of its own.
  Start({"VEX_SIM_BOTS=2"}, "Ops\nSTOPPING=1");
  const auto ready = notify_.WaitFor("READY=1", 20s);
  ASSERT_TRUE(ready) << server_->Output() << server_->Errors();
  EXPECT_TRUE(PortTaken(port_)) << "ready before the game was hosted";

  int pings = 0;
  std::optional<std::string> status;
  bool silent = false;
  const auto listen = [&](std::chrono::milliseconds) {
    const auto datagram = notify_.Receive(5s);
    silent = !datagram;
    if (datagram) {
      EXPECT_FALSE(HasLine(*datagram, "STOPPING=1")) << *datagram;
      pings += HasLine(*datagram, "WATCHDOG=1") ? 1 : 0;
      if (datagram->rfind("STATUS=", 0) == 0) {
        status = datagram;
      }
    }
  };
  WaitUntil([&] { return silent || (pings >= 3 && status); }, 30s, 5s, listen);
  ASSERT_FALSE(silent) << "the server went silent";
  EXPECT_GE(pings, 3);
  ASSERT_TRUE(status);
  EXPECT_EQ(status->find('\n'), std::string::npos) << *status;
  EXPECT_NE(status->find("Ops\\nSTOPPING=1"), std::string::npos) << *status;
  EXPECT_NE(status->find("players"), std::string::npos) << *status;
  EXPECT_NE(status->find("level "), std::string::npos) << *status;

  server_->Signal(SIGTERM);
  const auto stopping = notify_.WaitFor("STOPPING=1", 20s);
  ASSERT_TRUE(stopping);
  EXPECT_NE(stopping->find("EXTEND_TIMEOUT_USEC="), std::string::npos) << *stopping;
  EXPECT_EQ(server_->WaitForExit(20s), 2);
}

TEST_F(ServiceManager, WatchdogPingsEndWhenAFrameHangsAndTheStatusSaysSo) {
  Start({"VEX_SIM_FAULT=hang:60"}, "Hung");
  ASSERT_TRUE(notify_.WaitFor("READY=1", 20s)) << server_->Output() << server_->Errors();
  ASSERT_TRUE(notify_.WaitFor("WATCHDOG=1", 10s));
  // Pings come every half second while frames run; once frame 60 hangs, none comes for good.
  std::optional<std::string> hungStatus;
  const auto pingsStop = [&] {
    while (const auto datagram = notify_.Receive(4s)) {
      if (datagram->find("the engine is not responding") != std::string::npos) {
        hungStatus = datagram;
      }
      if (HasLine(*datagram, "WATCHDOG=1")) {
        return false;
      }
    }
    return true;
  };
  EXPECT_TRUE(WaitUntil(pingsStop, 60s, 0ms)) << "watchdog pings went on while the engine hung";
  EXPECT_FALSE(notify_.WaitFor("WATCHDOG=1", 2s));
  if (!hungStatus) {
    hungStatus = notify_.WaitFor("the engine is not responding", 10s);
  }
  ASSERT_TRUE(hungStatus) << "the status went on as if the engine ran";
  EXPECT_EQ(hungStatus->rfind("STATUS=Hung, ", 0), 0u) << *hungStatus;

  server_->Signal(SIGTERM);
  EXPECT_TRUE(notify_.WaitFor("STOPPING=1", 20s));
  EXPECT_EQ(server_->WaitForExit(30s), 2);
}

// The package's unit runs the server as a user of its own; started by root, it says so.
TEST(RootUser, IsWarnedThatTheServerShouldRunAsAUserOfItsOwn) {
  if (geteuid() != 0) {
    GTEST_SKIP() << "the tests do not run as root here";
  }
  GameFolder game;
  ChildProcess server(kProgram, {"-console", "-config", "deathmatch", "-port", FreePort()},
                      game.Path());
  ASSERT_TRUE(server.WaitForOutput("Server is running.")) << server.Errors();
  server.Signal(SIGTERM);
  EXPECT_EQ(server.WaitForExit(), 2);
  EXPECT_NE(server.Errors().find("vexserver: warning: running as root: "), std::string::npos)
      << server.Errors();
}

// Standard error is a file here; JOURNAL_STREAM names it as the journal's stream would be named.
class JournalPriorities : public ::testing::Test {
 protected:
  std::string RunCheckWithStandardError(const std::string& config, bool journal) {
    const std::string errors = game_.Path() + "/errors.txt";
    std::ofstream(errors).flush();
    struct stat status {};
    stat(errors.c_str(), &status);
    std::vector<std::string> environment;
    if (journal) {
      environment.push_back("JOURNAL_STREAM=" + std::to_string(status.st_dev) + ":" +
                            std::to_string(status.st_ino));
    }
    ChildProcess check(
        "/bin/sh",
        {"-c", "exec \"$0\" --check-config -config \"$1\" 2>>errors.txt", kProgram, config},
        game_.Path(), environment);
    check.WaitForExit(20s);
    std::ifstream file(errors);
    return std::string(std::istreambuf_iterator<char>(file), {});
  }

  // A hosting server whose standard output and standard error are one stream, as a unit's are
  // when both go to the journal. Returns what the stream received, line by line.
  std::vector<std::string> HostWithOutputInTheJournal(const std::vector<std::string>& environment,
                                                      const std::string& input, int exitCode) {
    const std::string journal = game_.Path() + "/journal.txt";
    std::ofstream(journal).flush();
    struct stat status {};
    stat(journal.c_str(), &status);
    std::vector<std::string> variables = environment;
    variables.push_back("JOURNAL_STREAM=" + std::to_string(status.st_dev) + ":" +
                        std::to_string(status.st_ino));
    ChildProcess server("/bin/sh",
                        {"-c",
                         "exec \"$0\" -console -config deathmatch -port \"$1\" "
                         "-rconpassword-file rcon.txt -timestamps=0 >>journal.txt 2>&1",
                         kProgram, FreePort()},
                        game_.Path(), variables);
    if (!input.empty()) {
      WaitUntil([&] { return !ReadLines(journal).empty(); }, 20s, 50ms);
      server.Write(input);
    }
    EXPECT_EQ(server.WaitForExit(20s), exitCode);
    return ReadLines(journal);
  }

  static std::vector<std::string> ReadLines(const std::string& path) {
    std::ifstream file(path);
    std::vector<std::string> lines;
    for (std::string line; std::getline(file, line);) {
      lines.push_back(line);
    }
    return lines;
  }

  GameFolder game_;
};

std::vector<std::string> LinesWith(const std::vector<std::string>& lines, const std::string& text) {
  std::vector<std::string> found;
  for (const std::string& line : lines) {
    if (line.find(text) != std::string::npos) {
      found.push_back(line);
    }
  }
  return found;
}

TEST_F(JournalPriorities, AnEngineErrorAndAWarningOfTheRunningServerCarryTheirPriorityOnce) {
  std::ofstream(game_.Path() + "/rcon.txt") << "s3cret\n";
  std::filesystem::permissions(game_.Path() + "/rcon.txt", std::filesystem::perms::owner_read |
                                                               std::filesystem::perms::owner_write |
                                                               std::filesystem::perms::others_read);
  const std::vector<std::string> lines =
      HostWithOutputInTheJournal({"VEX_SIM_FAULT=frame:30"}, "", 1);
  const std::string all = ::testing::PrintToString(lines);
  const std::vector<std::string> failed = LinesWith(lines, "Simulated engine failure in frame 30");
  ASSERT_EQ(failed.size(), 1u) << all;
  EXPECT_EQ(failed[0].rfind("<3>Simulated engine failure in frame 30", 0), 0u) << all;
  const std::vector<std::string> warned = LinesWith(lines, "can be read by other users");
  ASSERT_EQ(warned.size(), 1u) << all;
  EXPECT_EQ(warned[0].rfind("<4>The RCON password file ", 0), 0u) << all;
  EXPECT_EQ(LinesWith(lines, "Server stopped."), std::vector<std::string>{"Server stopped."})
      << all;
}

TEST_F(JournalPriorities, TheStopQuestionThatNobodyCanAnswerStaysOutOfTheJournal) {
  std::ofstream(game_.Path() + "/rcon.txt") << "s3cret\n";
  std::filesystem::permissions(game_.Path() + "/rcon.txt", std::filesystem::perms::owner_read);
  const std::vector<std::string> lines = HostWithOutputInTheJournal({}, "/stop\n", 2);
  const std::string all = ::testing::PrintToString(lines);
  EXPECT_EQ(LinesWith(lines, "Server stopped.").size(), 1u) << all;
  EXPECT_TRUE(LinesWith(lines, "stop the server?").empty()) << all;
  EXPECT_TRUE(LinesWith(lines, "answered Yes").empty()) << all;
}

TEST_F(JournalPriorities, ErrorsAndWarningsCarryTheirPriorityOnlyInTheJournal) {
  game_.WriteConfig("narrow",
                    "[Settings]\nGameType = 1\n[Deathmatch]\nMap00 = \"Worlds\\Multi\\Arena\"\n"
                    "[Preferences]\nPortID = 70000\n");
  const std::string warned = RunCheckWithStandardError("narrow", true);
  EXPECT_EQ(warned.rfind("<4>warning: ", 0), 0u) << warned;

  const std::string failed = RunCheckWithStandardError("nosuch", true);
  EXPECT_EQ(failed.rfind("<3>", 0), 0u) << failed;

  const std::string plain = RunCheckWithStandardError("nosuch", false);
  EXPECT_EQ(plain.find("<3>"), std::string::npos) << plain;
  EXPECT_FALSE(plain.empty());
}

}  // namespace
}  // namespace vex
