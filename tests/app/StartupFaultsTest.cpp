// Files and ports that keep a game from starting: the operator sees the fixed message box and,
// on the console and standard error, which file or port and why.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <optional>
#include <string>
#include <vector>

#include "tests/support/ChildProcess.h"
#include "tests/support/FileText.h"
#include "tests/support/ProgramFixtures.h"
#include "tests/support/ScratchFolder.h"

namespace vex {
namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;
using test::ChildProcess;
using test::FreePort;
using test::GameFolder;
using test::HeldPort;
using test::kProgram;

const std::string kUnreadable =
    "ERROR - The config file could not be read properly. The file may be corrupt.";

constexpr const char* kNobody = "65534";

// Root reads any file whatever its mode, so a permission fault needs the server run as nobody.
// Nobody may not reach the build (a clone in a private folder), so it runs a copy of the program
// and its engine module in a folder of its own.
class UnprivilegedServer {
 public:
  explicit UnprivilegedServer(const GameFolder& game) : game_(game.Path()) {
    for (const char* file : {"vexserver", "server.so"}) {
      fs::copy_file(fs::path(VEX_BIN_DIR) / file, copy_.Path() / file);
    }
    for (const fs::path& folder : {copy_.Path(), fs::path(game_)}) {
      fs::permissions(folder, fs::perms::others_read | fs::perms::others_exec,
                      fs::perm_options::add);
    }
  }

  // Why nobody cannot run the copy in the game folder, or empty when it can.
  std::string Unreachable() const {
    ChildProcess probe("/usr/bin/setpriv",
                       {"--reuid", kNobody, "--regid", kNobody, "--clear-groups", "/usr/bin/test",
                        "-x", Program(), "-a", "-x", game_},
                       "/");
    if (probe.WaitForExit() == 0) {
      return {};
    }
    return "the user nobody cannot reach " + Program() + " or " + game_ +
           " (a folder on the way is private)";
  }

  ChildProcess Start(std::vector<std::string> arguments) const {
    arguments.insert(arguments.begin(),
                     {"--reuid", kNobody, "--regid", kNobody, "--clear-groups", Program()});
    return ChildProcess("/usr/bin/setpriv", arguments, game_);
  }

 private:
  std::string Program() const { return (copy_.Path() / "vexserver").string(); }

  std::string game_;
  test::ScratchFolder copy_;
};

struct UnreadableCase {
  const char* name;
  std::function<void(const GameFolder&, const fs::path& config)> make;
  std::string cause;
};

void PrintTo(const UnreadableCase& c, std::ostream* out) {
  *out << c.name;
}

class UnreadableConfig : public ::testing::TestWithParam<UnreadableCase> {};

TEST_P(UnreadableConfig, IsError11WithTheFileAndTheCause) {
  GameFolder game;
  const fs::path config = fs::path(game.Path()) / "VexMod/ServerData/config.txt";
  GetParam().make(game, config);
  const std::vector<std::string> arguments = {"-console", "-config", "config", "-port", FreePort()};
  std::optional<UnprivilegedServer> unprivileged;
  if (geteuid() == 0) {
    unprivileged.emplace(game);
    const std::string unreachable = unprivileged->Unreachable();
    if (!unreachable.empty()) {
      GTEST_SKIP() << "run as root, and " << unreachable;
    }
  }
  ChildProcess server = unprivileged ? unprivileged->Start(arguments)
                                     : ChildProcess(kProgram, arguments, game.Path());
  ASSERT_EQ(server.WaitForExit(), 4) << server.Output() << server.Errors();
  EXPECT_NE(server.Errors().find(kUnreadable), std::string::npos) << server.Errors();
  EXPECT_NE(server.Errors().find(GetParam().cause), std::string::npos) << server.Errors();
  EXPECT_NE(server.Output().find(GetParam().cause), std::string::npos) << server.Output();
}

INSTANTIATE_TEST_SUITE_P(
    Program, UnreadableConfig,
    ::testing::Values(
        // A FIFO without a writer held the server inside its open for good.
        UnreadableCase{"fifo",
                       [](const GameFolder&, const fs::path& config) {
                         ASSERT_EQ(::mkfifo(config.c_str(), 0644), 0);
                       },
                       "VexMod/ServerData/config.txt: not a regular file (a FIFO)"},
        UnreadableCase{
            "directory",
            [](const GameFolder&, const fs::path& config) { fs::create_directory(config); },
            "VexMod/ServerData/config.txt: not a regular file (a directory)"},
        UnreadableCase{"missing", [](const GameFolder&, const fs::path&) {},
                       std::string("VexMod/ServerData/config.txt: ") + std::strerror(ENOENT)},
        UnreadableCase{"no read permission",
                       [](const GameFolder& game, const fs::path&) {
                         game.WriteConfig("config", "[Settings]\n");
                         fs::permissions(fs::path(game.Path()) / "VexMod/ServerData/config.txt",
                                         fs::perms::none);
                       },
                       std::string("VexMod/ServerData/config.txt: ") + std::strerror(EACCES)},
        UnreadableCase{"syntax error",
                       [](const GameFolder& game, const fs::path&) {
                         game.WriteConfig("config", "[Settings]\nServName = \"x\"\nGameType = ?\n");
                       },
                       "File \"VexMod/ServerData/config.txt\", line 3 :  Bad symbol encountered."}),
    [](const auto& row) {
      std::string name = row.param.name;
      std::replace(name.begin(), name.end(), ' ', '_');
      return name;
    });

TEST(ConfigCheck, AFifoIsError11AtOnce) {
  GameFolder game;
  ASSERT_EQ(::mkfifo((fs::path(game.Path()) / "VexMod/ServerData/fifo.txt").c_str(), 0644), 0);
  ChildProcess check(kProgram, {"--check-config", "-config", "fifo"}, game.Path());
  EXPECT_EQ(check.WaitForExit(), 11);
  EXPECT_NE(check.Errors().find("fifo.txt: not a regular file (a FIFO)"), std::string::npos)
      << check.Errors();
}

TEST(CustomArchiveList, AFifoIsLeftOutWithItsReasonAndTheServerRuns) {
  GameFolder game;
  const fs::path list = fs::path(game.Path()) / "VexMod/customrez.txt";
  fs::remove(list);
  ASSERT_EQ(::mkfifo(list.c_str(), 0644), 0);
  ChildProcess server(kProgram, {"-console", "-config", "deathmatch", "-port", FreePort()},
                      game.Path());
  ASSERT_TRUE(server.WaitForOutput("Server is running.")) << server.Output() << server.Errors();
  EXPECT_NE(server.Output().find(
                "Custom archive list left out: VexMod/customrez.txt: not a regular file (a FIFO)"),
            std::string::npos)
      << server.Output();
  server.Signal(SIGINT);
  EXPECT_EQ(server.WaitForExit(), 2);
}

TEST(HostingFailure, SaysThatThePortIsInUse) {
  GameFolder game;
  HeldPort taken;
  ChildProcess server(kProgram, {"-console", "-config", "deathmatch", "-port", taken.Port()},
                      game.Path());
  EXPECT_EQ(server.WaitForExit(), 4);
  const std::string cause =
      "Hosting failed: Cannot bind UDP port " + taken.Port() + ": " + std::strerror(EADDRINUSE);
  EXPECT_NE(server.Errors().find(cause), std::string::npos) << server.Errors();
  EXPECT_NE(server.Output().find(cause), std::string::npos) << server.Output();
  EXPECT_NE(server.Errors().find("ERROR - Unable to host the game."), std::string::npos);
}

struct RefusalCase {
  const char* name;
  const char* fault;
  const char* reason;
  const char* error;
};

void PrintTo(const RefusalCase& c, std::ostream* out) {
  *out << c.name;
}

class EngineRefusal : public ::testing::TestWithParam<RefusalCase> {};

TEST_P(EngineRefusal, SaysTheEnginesReasonBeforeTheError) {
  GameFolder game;
  ChildProcess server(kProgram, {"-console", "-config", "deathmatch", "-port", FreePort()},
                      game.Path(), {std::string("VEX_SIM_FAULT=") + GetParam().fault});
  EXPECT_EQ(server.WaitForExit(), 4);
  const std::string& errors = server.Errors();
  const std::size_t reason = errors.find(GetParam().reason);
  ASSERT_NE(reason, std::string::npos) << errors;
  EXPECT_NE(errors.find(GetParam().error, reason), std::string::npos) << errors;
  EXPECT_NE(server.Output().find(GetParam().reason), std::string::npos) << server.Output();
}

INSTANTIATE_TEST_SUITE_P(
    Program, EngineRefusal,
    ::testing::Values(RefusalCase{"archives", "archives",
                                  "Mounting the resource archives was refused",
                                  "ERROR - Unable to load resources."},
                      RefusalCase{"network_service", "service",
                                  "Choosing the network service was refused",
                                  "ERROR - Unable to set the network service."},
                      RefusalCase{"game_code", "gamecode", "Loading the game code was refused",
                                  "ERROR - Unable to load the game binaries."}),
    [](const auto& row) { return std::string(row.param.name); });

// The README's second instance once went on the first one's query port.
TEST(HostingFailure, OnAnotherServersQueryPortGuessesThatItIsOneBelowTheCause) {
  GameFolder game;
  const std::string port = FreePort();
  const std::string queryPort = std::to_string(std::stoi(port) + 1);
  ChildProcess first(kProgram, {"-console", "-config", "deathmatch", "-port", port}, game.Path());
  ASSERT_TRUE(first.WaitForOutput("Query: answering on UDP port " + queryPort, 20s))
      << first.Output() << first.Errors();
  ChildProcess second(kProgram, {"-console", "-config", "deathmatch", "-port", queryPort},
                      game.Path());
  EXPECT_EQ(second.WaitForExit(20s), 4);
  const std::string cause = "Hosting failed: Cannot bind UDP port " + queryPort;
  const std::string guess =
      "UDP port " + queryPort +
      " is in use. Perhaps it is another server's query port (its game port + 1)";
  for (const std::string& shown : {second.Errors(), second.Output()}) {
    EXPECT_NE(shown.find(guess, shown.find(cause)), std::string::npos) << shown;
  }
  first.Signal(SIGTERM);
  EXPECT_EQ(first.WaitForExit(20s), 2);
}

struct LoggedStartFailure {
  const char* Name;
  std::vector<std::string> Arguments;
  const char* Box;
};

void PrintTo(const LoggedStartFailure& c, std::ostream* out) {
  *out << c.Name;
}

class LoggedStart : public ::testing::TestWithParam<LoggedStartFailure> {};

// A start that fails once the engine exists leaves in the log what the error box said and that
// the server stopped, as the terminal shows them.
TEST_P(LoggedStart, FailureKeepsTheBoxAndServerStoppedInTheLog) {
  GameFolder game;
  const std::string log = game.Path() + "/server.log";
  std::vector<std::string> arguments{"-console", "-port", FreePort(), "-log", log};
  arguments.insert(arguments.end(), GetParam().Arguments.begin(), GetParam().Arguments.end());
  // Standard input is a pipe: the choice of a configuration file cancels without asking.
  ChildProcess server(kProgram, arguments, game.Path());
  EXPECT_EQ(server.WaitForExit(), 4) << server.Output() << server.Errors();
  const std::string logged = test::FileText(log);
  const auto initialised = logged.find("Server initialized.");
  ASSERT_NE(initialised, std::string::npos) << logged;
  const auto box = logged.find(std::string("VexServer: ") + GetParam().Box, initialised);
  EXPECT_NE(box, std::string::npos) << logged;
  EXPECT_NE(logged.find("VexServer: ERROR - Unable to start server.", box), std::string::npos)
      << logged;
  EXPECT_NE(logged.find("Server stopped.", initialised), std::string::npos) << logged;
}

INSTANTIATE_TEST_SUITE_P(
    Program, LoggedStart,
    ::testing::Values(
        LoggedStartFailure{"SelectionCancelled", {}, "ERROR - No server configuration file."},
        LoggedStartFailure{"MissingFile", {"-config", "missing"}, kUnreadable.c_str()}),
    [](const auto& row) { return std::string(row.param.Name); });

}  // namespace
}  // namespace vex
