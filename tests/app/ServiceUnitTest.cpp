// The systemd template unit, as systemd-analyze reads it, and its commands run as written inside
// the unit's sandbox (vex_unit_sandbox). Nothing here needs a running service manager, so it works
// on a build machine or in a container where systemd is installed but not PID 1.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/stat.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <ostream>
#include <regex>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "NotifySocket.h"
#include "tests/support/ChildProcess.h"
#include "tests/support/ProgramFixtures.h"
#include "tests/support/ScratchFolder.h"

namespace vex {
namespace {

using namespace std::chrono_literals;
using test::ChildProcess;
using test::FreePort;
using test::GameFolder;
using test::kProgram;
namespace fs = std::filesystem;

std::string ReadAll(const fs::path& path) {
  std::ifstream file(path);
  std::stringstream text;
  text << file.rdbuf();
  return text.str();
}

const std::string& UnitText() {
  static const std::string unit =
      ReadAll(fs::path(VEX_SOURCE_DIR) / "packaging/vexserver@.service");
  return unit;
}

// The values of every line `key=...` of the unit, in order.
std::vector<std::string> UnitValues(const std::string& key) {
  std::vector<std::string> values;
  std::istringstream lines(UnitText());
  std::string line;
  while (std::getline(lines, line)) {
    if (line.rfind(key + "=", 0) == 0) {
      values.push_back(line.substr(key.size() + 1));
    }
  }
  return values;
}

std::vector<std::string> Words(const std::string& text) {
  std::istringstream stream(text);
  std::vector<std::string> words;
  for (std::string word; stream >> word;) {
    words.push_back(word);
  }
  return words;
}

// The unit as written, with its program taken from this build, as one instance.
fs::path WriteInstance(const fs::path& folder) {
  const fs::path instance = folder / "vexserver@deathmatch.service";
  std::ofstream(instance) << std::regex_replace(UnitText(), std::regex("/usr/bin/vexserver"),
                                                kProgram);
  return instance;
}

TEST(ServiceUnit, SystemdAnalyzeAcceptsAnInstanceWithoutAWord) {
  ASSERT_NE(UnitText().find("/usr/bin/vexserver "), std::string::npos);
  test::ScratchFolder scratch;
  WriteInstance(scratch.Path());
  ChildProcess verify("/usr/bin/systemd-analyze",
                      {"verify", "--man=no", "--generators=no", "./vexserver@deathmatch.service"},
                      scratch.Path().string());
  EXPECT_EQ(verify.WaitForExit(60s), 0) << verify.Errors();
  // Unknown keys and bad values are only warned of, with exit code 0.
  EXPECT_EQ(verify.Errors(), "");
  EXPECT_EQ(verify.Output(), "");
}

// A time span of the unit as systemd reads it, in microseconds.
long long Microseconds(const std::string& span) {
  ChildProcess timespan("/usr/bin/systemd-analyze", {"timespan", span}, "/");
  EXPECT_EQ(timespan.WaitForExit(30s), 0) << timespan.Errors();
  std::smatch figure;
  if (!std::regex_search(timespan.Output(), figure, std::regex("s: (\\d+)"))) {
    ADD_FAILURE() << timespan.Output();
    return 0;
  }
  return std::stoll(figure[1]);
}

// A server that fails at once is started again every RestartSec=: the start limit must be
// reached at that pace, or the restarts go on for ever. (A limit outside [Unit] is a warning of
// systemd-analyze verify, which the test above keeps away.)
TEST(ServiceUnit, RestartsOfAFailingStartReachTheStartLimit) {
  const std::vector<std::string> interval = UnitValues("StartLimitIntervalSec");
  const std::vector<std::string> burst = UnitValues("StartLimitBurst");
  const std::vector<std::string> delay = UnitValues("RestartSec");
  ASSERT_EQ(interval.size(), 1u);
  ASSERT_EQ(burst.size(), 1u);
  ASSERT_EQ(delay.size(), 1u);
  EXPECT_LT(std::stoll(burst.front()) * Microseconds(delay.front()),
            Microseconds(interval.front()));
}

// systemd-analyze's exposure figure, from 0 (locked down) to 10, read without a service manager.
TEST(ServiceUnit, ExposureIsAtMostTwoAndAHalf) {
  test::ScratchFolder scratch;
  WriteInstance(scratch.Path());
  // The threshold is in tenths of the figure.
  ChildProcess security("/usr/bin/systemd-analyze",
                        {"security", "--offline=yes", "--threshold=25", "--no-pager",
                         "./vexserver@deathmatch.service"},
                        scratch.Path().string());
  EXPECT_EQ(security.WaitForExit(60s), 0) << security.Output() << security.Errors();
  std::smatch figure;
  ASSERT_TRUE(std::regex_search(security.Output(), figure,
                                std::regex("Overall exposure level for .*: (\\d+\\.\\d)")))
      << security.Output();
  std::printf("exposure: %s (at most 2.5)\n", figure[1].str().c_str());
}

// The calls that the unit's SystemCallFilter= lines let through, groups expanded by systemd
// itself: the first line allows, each "~" line takes away.
std::set<std::string> ExpandCalls(const std::string& name, std::set<std::string>& seenGroups) {
  if (name.front() != '@') {
    return {name};
  }
  if (!seenGroups.insert(name).second) {
    return {};
  }
  ChildProcess listing("/usr/bin/systemd-analyze", {"syscall-filter", "--no-pager", name}, "/");
  listing.WaitForExit(30s);
  // The group's name, then one name a line, indented; comments start with '#'.
  std::set<std::string> calls;
  std::istringstream lines(listing.Output());
  std::string line;
  std::getline(lines, line);
  while (std::getline(lines, line)) {
    const std::vector<std::string> words = Words(line);
    if (words.size() == 1 && words.front().front() != '#') {
      calls.merge(ExpandCalls(words.front(), seenGroups));
    }
  }
  return calls;
}

std::set<std::string> ListAllowedCalls() {
  std::set<std::string> allowed;
  for (const std::string& line : UnitValues("SystemCallFilter")) {
    const bool deny = line.front() == '~';
    for (const std::string& name : Words(deny ? line.substr(1) : line)) {
      std::set<std::string> seen;
      for (const std::string& call : ExpandCalls(name, seen)) {
        if (deny) {
          allowed.erase(call);
        } else {
          allowed.insert(call);
        }
      }
    }
  }
  return allowed;
}

// Commands of the unit run in its sandbox: its ExecStart='s shell line with this build's program,
// in the game folder, with the instance's options in VEXSERVER_OPTIONS as the environment file
// sets them; the sandbox's only writable folder plays /var/log/vexserver.
class UnitSandbox : public ::testing::Test {
 protected:
  void SetUp() override {
    {
      std::ofstream calls(scratch_.Path() / "allowed-calls");
      static const std::set<std::string> allowed = ListAllowedCalls();
      for (const std::string& call : allowed) {
        calls << call << "\n";
      }
    }
    ASSERT_GT(fs::file_size(scratch_.Path() / "allowed-calls"), 0u);
    fs::create_directory(LogFolder());
    ChildProcess probe(Sandbox(), Wrapped({"/bin/true"}), "/");
    if (probe.WaitForExit(20s) != 0) {
      GTEST_SKIP() << "namespaces and mounts need root here: " << probe.Errors();
    }
  }

  static std::string Sandbox() { return std::string(VEX_BIN_DIR) + "/vex_unit_sandbox"; }
  fs::path LogFolder() const { return scratch_.Path() / "log"; }

  std::vector<std::string> Wrapped(const std::vector<std::string>& command) const {
    const std::vector<std::string> umask = UnitValues("UMask");
    std::vector<std::string> arguments{umask.empty() ? "0022" : umask.front(),
                                       (scratch_.Path() / "allowed-calls").string(),
                                       LogFolder().string(), "--"};
    arguments.insert(arguments.end(), command.begin(), command.end());
    return arguments;
  }

  // ExecStart=/bin/sh -fc '...' vexserver %i, for the instance `name`.
  std::vector<std::string> StartCommand(const std::string& name) const {
    const std::vector<std::string> start = UnitValues("ExecStart");
    EXPECT_EQ(start.size(), 1u);
    std::smatch parts;
    const std::string line = start.empty() ? std::string() : start.front();
    EXPECT_TRUE(std::regex_match(line, parts, std::regex("(/bin/sh) (-\\w+) '([^']*)' (\\w+) %i")))
        << line;
    if (parts.empty()) {
      return {"/bin/false"};
    }
    const std::string script =
        std::regex_replace(parts[3].str(), std::regex("/usr/bin/vexserver"), kProgram);
    return {parts[1], parts[2], script, parts[4], name};
  }

  test::ScratchFolder scratch_;
  GameFolder game_;
};

// The instance's options as the example file shows them: a quoted name keeps its space, and the
// log file is the operator's choice.
TEST_F(UnitSandbox, TheServerHostsReopensItsLogOnReloadAndStops) {
  test::NotifySocket notify;
  const fs::path log = LogFolder() / "deathmatch.log";
  // LeakSanitizer stops the world with ptrace, which the filter forbids as it would the server's.
  ChildProcess server(
      Sandbox(), Wrapped(StartCommand("deathmatch")), game_.Path(),
      {notify.Variable(), "WATCHDOG_USEC=1000000", "VEX_SIM_BOTS=2", "ASAN_OPTIONS=detect_leaks=0",
       "VEXSERVER_OPTIONS=-port " + FreePort() + " -queryport " + FreePort() +
           " -name 'Vex Arena' -log " + log.string()});
  ASSERT_TRUE(notify.WaitFor("READY=1", 30s)) << server.Output() << server.Errors();
  // Frames advance: the engine module was loaded and runs.
  ASSERT_TRUE(notify.WaitFor("WATCHDOG=1", 10s));
  EXPECT_TRUE(notify.WaitFor("STATUS=Vex Arena, ", 10s));
  ASSERT_TRUE(fs::exists(log));
  // UMask=: the console's log is not for every user's eyes.
  EXPECT_EQ(fs::status(log).permissions() & fs::perms::others_all, fs::perms::none);

  fs::rename(log, LogFolder() / "deathmatch.log.1");
  const std::vector<std::string> reloads = UnitValues("ExecReload");
  ASSERT_EQ(reloads.size(), 1u);
  std::vector<std::string> reload = Words(
      std::regex_replace(reloads.front(), std::regex("\\$MAINPID"), std::to_string(server.Pid())));
  ChildProcess reloading(Sandbox(), Wrapped(reload), "/");
  ASSERT_EQ(reloading.WaitForExit(20s), 0) << reloading.Errors();
  ASSERT_TRUE(server.CollectUntil([&] { return fs::exists(log); }, 20s))
      << "the reload did not open the log again";

  server.Signal(SIGTERM);
  EXPECT_EQ(server.WaitForExit(30s), 2) << server.Errors();
  EXPECT_NE(ReadAll(log).find("Server stopped."), std::string::npos);
  EXPECT_NE(ReadAll(LogFolder() / "deathmatch.log.1").find("Server is running."),
            std::string::npos);
  EXPECT_EQ(server.Errors().find("not permitted"), std::string::npos) << server.Errors();
}

// The check and then the server run in one start: a warning of the configuration reaches the
// journal once.
TEST_F(UnitSandbox, AWarningOfTheConfigurationIsSaidOnce) {
  game_.WriteConfig("narrow",
                    "[Settings]\nGameType = 1\n[Deathmatch]\nMap00 = \"Worlds\\Multi\\Arena\"\n"
                    "[Preferences]\nPortID = 70000\n");
  test::NotifySocket notify;
  ChildProcess server(Sandbox(), Wrapped(StartCommand("narrow")), game_.Path(),
                      {notify.Variable(), "ASAN_OPTIONS=detect_leaks=0",
                       "VEXSERVER_OPTIONS=-port " + FreePort() + " -queryport " + FreePort()});
  ASSERT_TRUE(notify.WaitFor("READY=1", 30s)) << server.Output() << server.Errors();
  server.Signal(SIGTERM);
  EXPECT_EQ(server.WaitForExit(30s), 2) << server.Errors();
  const std::string errors = server.Errors();
  const std::size_t first = errors.find("PortID = 70000 does not fit its field");
  ASSERT_NE(first, std::string::npos) << errors;
  EXPECT_EQ(errors.find("PortID = 70000", first + 1), std::string::npos) << errors;
}

// The sandbox is no formality: what it forbids fails inside and works outside.
struct Forbidden {
  const char* name;
  std::vector<std::string> command;
};

void PrintTo(const Forbidden& c, std::ostream* out) {
  *out << c.name;
}

class UnitSandboxForbids : public UnitSandbox, public ::testing::WithParamInterface<Forbidden> {};

TEST_P(UnitSandboxForbids, WhatWorksOutside) {
  const std::vector<std::string>& command = GetParam().command;
  ChildProcess outside(command.front(), {command.begin() + 1, command.end()}, "/");
  ASSERT_EQ(outside.WaitForExit(20s), 0) << outside.Errors();
  ChildProcess inside(Sandbox(), Wrapped(command), "/");
  EXPECT_NE(inside.WaitForExit(20s), 0) << inside.Output();
}

INSTANTIATE_TEST_SUITE_P(
    Directives, UnitSandboxForbids,
    ::testing::Values(
        Forbidden{"MemoryDenyWriteExecute",
                  {"/usr/bin/python3", "-c",
                   "import mmap; mmap.mmap(-1, 4096, prot=mmap.PROT_WRITE | mmap.PROT_EXEC)"}},
        Forbidden{"RestrictNamespaces", {"/usr/bin/unshare", "--uts", "/bin/true"}},
        Forbidden{"ProtectSystem", {"/bin/sh", "-c", "made=$(mktemp -p /var/tmp) && rm \"$made\""}},
        Forbidden{"ProcSubset", {"/usr/bin/test", "-e", "/proc/cpuinfo"}},
        Forbidden{"RestrictAddressFamilies",
                  {"/usr/bin/python3", "-c",
                   "import socket; socket.socket(socket.AF_NETLINK, socket.SOCK_RAW)"}},
        Forbidden{"SystemCallFilter",
                  {"/usr/bin/python3", "-c", "import os; os.setpriority(os.PRIO_PROCESS, 0, 1)"}}),
    [](const ::testing::TestParamInfo<Forbidden>& row) { return std::string(row.param.name); });

// A configuration that cannot be hosted, a wrong option, or a start that cannot succeed, ends the
// service's main process with a code that RestartPreventExitStatus= names, before anything was
// hosted.
struct BadStart {
  const char* name;
  const char* instance;
  const char* options;
  int exitCode;
};

void PrintTo(const BadStart& c, std::ostream* out) {
  *out << c.name;
}

class UnitStartRefuses : public UnitSandbox, public ::testing::WithParamInterface<BadStart> {};

TEST_P(UnitStartRefuses, WithACodeThatIsNotRestarted) {
  game_.WriteConfig("nolevels", "[Settings]\nGameType = 1\n");
  game_.WriteConfig("badtype", "[Settings]\nGameType = 7\n");
  game_.WriteConfig("unreadable", "[Settings]\nServName = \"x\"\nGameType = ?\n");
  ChildProcess server(
      Sandbox(), Wrapped(StartCommand(GetParam().instance)), game_.Path(),
      {"ASAN_OPTIONS=detect_leaks=0", "VEXSERVER_OPTIONS=" + std::string(GetParam().options)});
  const int exitCode = server.WaitForExit(30s);
  EXPECT_EQ(exitCode, GetParam().exitCode) << server.Output() << server.Errors();
  const std::vector<std::string> prevented = Words(UnitValues("RestartPreventExitStatus").at(0));
  EXPECT_NE(std::find(prevented.begin(), prevented.end(), std::to_string(exitCode)),
            prevented.end());
  EXPECT_EQ(server.Output().find("Server is running."), std::string::npos);
  EXPECT_NE(server.Errors(), "") << "the journal would not say why";
}

INSTANTIATE_TEST_SUITE_P(
    Configurations, UnitStartRefuses,
    ::testing::Values(BadStart{"NoSuchConfiguration", "nosuch", "", 11},
                      BadStart{"SyntaxError", "unreadable", "", 11},
                      BadStart{"NoLevels", "nolevels", "", 12},
                      BadStart{"UnknownGameType", "badtype", "", 13},
                      BadStart{"IncompleteOption", "deathmatch", "-log", 64},
                      BadStart{"MisspeltOption", "deathmatch", "-prot 27890", 64},
                      BadStart{"OptionWithoutItsValue", "deathmatch", "-rconpassword-file", 64},
                      BadStart{"LogFileThatCannotBeOpened", "deathmatch", "-log /usr/vexserver.log",
                               4}),
    [](const ::testing::TestParamInfo<BadStart>& row) { return std::string(row.param.name); });

}  // namespace
}  // namespace vex
