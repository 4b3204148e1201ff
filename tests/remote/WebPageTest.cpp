// The operator's web page in a real browser: headless Chromium, driven by tests/node/webpage.js
// through puppeteer-core, against a real vexserver with bots and one real network player whose
// name is markup.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <csignal>
#include <filesystem>
#include <fstream>
#include <string>

#include "tests/remote/RemoteServer.h"
#include "tests/support/ChildProcess.h"
#include "tests/support/ProgramFixtures.h"
#include "tests/support/ScratchFolder.h"
#include "tests/support/UnusedPort.h"

namespace vex::test {
namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;

constexpr const char* kPassword = "web s3cret";
constexpr const char* kHostileName = "<img src=x onerror=alert(1)>";
// A player whose chat reads like a remote operator's command line.
constexpr const char* kLookalikeName = "RCON 10.0.0.9";

fs::path ArtifactFolder() {
  const fs::path folder = fs::path(VEX_BIN_DIR).parent_path() / "artifacts";
  fs::create_directories(folder);
  return folder;
}

class WebPage : public ::testing::Test {
 protected:
  WebPage() {
    passwordFile_ = folder_.Path() / "rcon-password";
    std::ofstream(passwordFile_) << kPassword << "\n";
    chmod(passwordFile_.c_str(), 0600);
  }

  ChildProcess StartServer(std::vector<std::string> options,
                           std::vector<std::string> environment = {}) {
    std::vector<std::string> arguments{
        "-console", "-config", "deathmatch", "-port", std::to_string(gamePort_), "-queryport", "0"};
    arguments.insert(arguments.end(), options.begin(), options.end());
    environment.insert(environment.end(), {"VEX_SIM_BOTS=3", "VEX_SIM_SEED=7"});
    return ChildProcess(kProgram, arguments, game_.Path(), environment);
  }

  std::vector<std::string> WebOptions(int webPort) const {
    return {"-rconpassword-file", passwordFile_.string(), "-webport", std::to_string(webPort)};
  }

  static std::string PageAddress(int webPort) {
    return "http://127.0.0.1:" + std::to_string(webPort) + "/";
  }

  GameFolder game_;
  ScratchFolder folder_;
  fs::path passwordFile_;
  int gamePort_ = UnusedPort();
};

TEST_F(WebPage, OperatorLogsInWatchesAndActsAndStopsTheServerFromABrowser) {
  const int webPort = UnusedPort();
  ChildProcess server = StartServer(
      {"-rconpassword-file", passwordFile_.string(), "-webport", std::to_string(webPort)});
  ASSERT_TRUE(
      server.WaitForOutput("Web page: http://127.0.0.1:" + std::to_string(webPort) + "/", 20s))
      << server.Output() << server.Errors();
  ASSERT_TRUE(server.WaitForOutput("joined the game.", 20s)) << server.Output();
  ChildProcess player(
      kClientProgram,
      {"--name", kHostileName, "--seconds", "60", "127.0.0.1:" + std::to_string(gamePort_)},
      folder_.Path().string());
  ASSERT_TRUE(server.WaitForOutput(std::string(kHostileName) + " joined the game.", 20s))
      << server.Output();
  ChildProcess lookalike(kClientProgram,
                         {"--name", kLookalikeName, "--chat", "--seconds", "60",
                          "127.0.0.1:" + std::to_string(gamePort_)},
                         folder_.Path().string());

  const NodeRun run = RunNodeScript(
      "webpage.js",
      {PageAddress(webPort), kPassword, ArtifactFolder().string(), kHostileName, kLookalikeName},
      60s);
  EXPECT_EQ(run.ExitCode, 0) << run.Output;
  EXPECT_NE(run.Output.find("OK stop sent"), std::string::npos) << run.Output;
  EXPECT_EQ(server.WaitForExit(15s), 2) << server.Output() << server.Errors();
  // What the page did is on the operator's console with where it came from.
  const std::string& console = server.Output();
  EXPECT_NE(console.find("Web page: wrong password from 127.0.0.1:"), std::string::npos) << console;
  EXPECT_NE(console.find(": /next"), std::string::npos) << console;
  EXPECT_TRUE(fs::exists(ArtifactFolder() / "web-page-desktop.png"));
  EXPECT_TRUE(fs::exists(ArtifactFolder() / "web-page-phone.png"));
}

// Logging out ends the session's event stream; the server goes on serving its players and the
// page.
TEST_F(WebPage, LoggingOutWithTheEventStreamOpenLeavesTheServerServing) {
  const int webPort = UnusedPort();
  ChildProcess server = StartServer(
      {"-rconpassword-file", passwordFile_.string(), "-webport", std::to_string(webPort)});
  ASSERT_TRUE(server.WaitForOutput("joined the game.", 20s)) << server.Output() << server.Errors();
  const NodeRun run = RunNodeScript(
      "webcontrol.js", {"logout", "http://127.0.0.1:" + std::to_string(webPort) + "/", kPassword});
  EXPECT_EQ(run.ExitCode, 0) << run.Output << server.Output() << server.Errors();
  EXPECT_NE(run.Output.find("OK logged in again"), std::string::npos) << run.Output;
  ChildProcess player(
      kClientProgram,
      {"--name", "Latecomer", "--seconds", "30", "127.0.0.1:" + std::to_string(gamePort_)},
      folder_.Path().string());
  EXPECT_TRUE(server.WaitForOutput("Latecomer joined the game.", 20s))
      << server.Output() << server.Errors();
  server.Signal(SIGTERM);
  EXPECT_EQ(server.WaitForExit(15s), 2) << server.Output() << server.Errors();
}

class WebPageTabs : public WebPage, public ::testing::WithParamInterface<const char*> {};

// A browser opens six connections to a host at most: the tabs share one event stream, or where
// the browser lacks shared workers a hidden tab lets go of its own. The engine's frames are slow
// meanwhile.
TEST_P(WebPageTabs, EightTabsStayLiveAndTheLastOneStillSendsCommands) {
  const int webPort = UnusedPort();
  ChildProcess server = StartServer(WebOptions(webPort), {"VEX_SIM_FRAME_MS=60"});
  ASSERT_TRUE(server.WaitForOutput("joined the game.", 20s)) << server.Output() << server.Errors();
  // Eight pages of a browser take their time on a busy machine.
  const NodeRun run =
      RunNodeScript("webcontrol.js", {GetParam(), PageAddress(webPort), kPassword}, 90s);
  EXPECT_EQ(run.ExitCode, 0) << run.Output << server.Output() << server.Errors();
  EXPECT_NE(run.Output.find("OK the last tab's command answered"), std::string::npos) << run.Output;
  server.Signal(SIGTERM);
  EXPECT_EQ(server.WaitForExit(15s), 2) << server.Output() << server.Errors();
}

INSTANTIATE_TEST_SUITE_P(Browsers, WebPageTabs,
                         ::testing::Values("tabs", "tabs-without-shared-worker"),
                         [](const auto& testInfo) {
                           return std::string(testInfo.param) == "tabs" ? "SharedWorker"
                                                                        : "WithoutSharedWorker";
                         });

// A restarted server knows no session: the open page asks for the password again instead of
// waiting over the old server's figures.
TEST_F(WebPage, AfterARestartTheOpenPageAsksForThePasswordAgain) {
  const int webPort = UnusedPort();
  ChildProcess first = StartServer(WebOptions(webPort));
  ASSERT_TRUE(first.WaitForOutput("joined the game.", 20s)) << first.Output() << first.Errors();
  const auto page = StartNodeScript("webcontrol.js", {"restart", PageAddress(webPort), kPassword});
  ASSERT_NE(page, nullptr);
  ASSERT_TRUE(page->WaitForOutput("OK logged in", 30s)) << page->Output() << page->Errors();
  first.Signal(SIGTERM);
  ASSERT_EQ(first.WaitForExit(15s), 2) << first.Output() << first.Errors();

  ChildProcess second = StartServer(WebOptions(webPort));
  ASSERT_TRUE(second.WaitForOutput("Web page: " + PageAddress(webPort), 20s))
      << second.Output() << second.Errors();
  EXPECT_EQ(page->WaitForExit(60s), 0) << page->Output() << page->Errors();
  EXPECT_NE(page->Output().find("OK login form after the restart"), std::string::npos)
      << page->Output();
  second.Signal(SIGTERM);
  EXPECT_EQ(second.WaitForExit(15s), 2) << second.Output() << second.Errors();
}

// A command sent as the session ends is not run, and the page says so before the login form.
TEST_F(WebPage, ACommandSentAsTheSessionEndsIsToldNotRun) {
  const int webPort = UnusedPort();
  ChildProcess server = StartServer(WebOptions(webPort));
  ASSERT_TRUE(server.WaitForOutput("joined the game.", 20s)) << server.Output() << server.Errors();
  const NodeRun run = RunNodeScript("webcontrol.js", {"expired", PageAddress(webPort), kPassword});
  EXPECT_EQ(run.ExitCode, 0) << run.Output << server.Output() << server.Errors();
  EXPECT_NE(run.Output.find("OK told the command was not run"), std::string::npos) << run.Output;
  EXPECT_EQ(server.Output().find(": /status"), std::string::npos) << server.Output();
  server.Signal(SIGTERM);
  EXPECT_EQ(server.WaitForExit(15s), 2) << server.Output() << server.Errors();
}

TEST_F(WebPage, StaysOffWithoutAPasswordAndSaysWhy) {
  ChildProcess server = StartServer({"-webport", std::to_string(UnusedPort())});
  EXPECT_TRUE(server.WaitForOutput("Web page: off, it needs the remote console's password", 20s))
      << server.Output() << server.Errors();
  server.Signal(SIGTERM);
  EXPECT_EQ(server.WaitForExit(15s), 2);
}

}  // namespace
}  // namespace vex::test
