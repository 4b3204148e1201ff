// A stop asked from afar, on the window front-end under a real X server: from a real remote
// console client (one that leaves at once, one that reads the answer, two at the same moment) and
// from the web page in headless Chromium. Nobody is at the window to answer a question, so the
// stop must run without one and end the process as the operator's stop does.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <optional>
#include <regex>
#include <string>

#include "remote/RconPacket.h"
#include "tests/remote/RconClient.h"
#include "tests/remote/RemoteServer.h"
#include "tests/support/ChildProcess.h"
#include "tests/support/FileText.h"
#include "tests/support/ProgramFixtures.h"
#include "tests/support/ScratchFolder.h"
#include "tests/support/UnusedPort.h"
#include "tests/support/XDisplay.h"

namespace vex::test {
namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;

constexpr const char* kPassword = "far s3cret";
constexpr const char* kStopping = "Stopping the server.\n";
constexpr auto kLongWait = 30s;

class RemoteStopUnderX : public ::testing::Test {
 protected:
  RemoteStopUnderX() {
    const fs::path passwordFile = folder_.Path() / "rcon-password";
    std::ofstream(passwordFile) << kPassword << "\n";
    chmod(passwordFile.c_str(), 0600);
    passwordFile_ = passwordFile.string();
  }
  void SetUp() override { ASSERT_FALSE(display_.Name().empty()) << display_.Failure(); }

  // The server's window is up and its remote services listen.
  bool StartServer(const std::string& fault = "", const std::vector<std::string>& extra = {}) {
    std::vector<std::string> environment = display_.Environment();
    environment.push_back("VEX_SIM_BOTS=3");
    environment.push_back("VEX_SIM_FAULT=" + fault);
    environment.push_back("LSAN_OPTIONS=suppressions=" + std::string(VEX_SOURCE_DIR) +
                          "/tests/app/x11-lsan.supp");
    std::vector<std::string> arguments{"-config", "deathmatch", "-port", "0", "-queryport", "0"};
    arguments.insert(arguments.end(), {"-rconport", "0", "-rconbind", "127.0.0.1"});
    arguments.insert(arguments.end(), {"-rconpassword-file", passwordFile_});
    arguments.insert(arguments.end(), {"-webport", std::to_string(webPort_)});
    arguments.insert(arguments.end(), extra.begin(), extra.end());
    server_.emplace(kProgram, arguments, game_.Path(), environment);
    std::smatch port;
    if (!server_->WaitForOutput("joined the game.", kLongWait) ||
        !std::regex_search(server_->Output(), port,
                           std::regex("RCON: listening on TCP port ([0-9]+)\\.")) ||
        (statusWindow_ = display_.WaitForWindow("VexServer")) == 0) {
      ADD_FAILURE() << "the server did not come up:\n" << Transcript();
      return false;
    }
    rconPort_ = std::stoi(port[1]);
    return true;
  }

  std::unique_ptr<RconClient> SignedIn() {
    auto client = std::make_unique<RconClient>(rconPort_);
    client->Send(remote::EncodeRconPacket(1, remote::kRconAuth, kPassword));
    std::optional<remote::RconPacket> verdict;
    do {
      verdict = client->Next();
    } while (verdict && verdict->Type != remote::kRconAuthResponse);
    EXPECT_TRUE(verdict && verdict->Id == 1) << Transcript();
    return client;
  }

  static void SendStop(RconClient& client) {
    client.Send(remote::EncodeRconPacket(2, remote::kRconExecCommand, "/stop"));
  }

  static std::optional<std::string> AnswerOf(RconClient& client) {
    const std::optional<remote::RconPacket> answer = client.Next(kLongWait);
    if (!answer) {
      return std::nullopt;
    }
    return answer->Body;
  }

  // Exit code 2, the operator's stop, with no question put anywhere.
  void ExpectStoppedWithoutAsking() {
    EXPECT_EQ(server_->WaitForExit(kLongWait), 2) << Transcript();
    EXPECT_NE(server_->Output().find("Server stopped."), std::string::npos) << Transcript();
    EXPECT_EQ(server_->Errors().find("answered"), std::string::npos) << Transcript();
  }

  std::string Transcript() const {
    return server_->Output() + "\n--- stderr ---\n" + server_->Errors();
  }

  XDisplay display_;
  GameFolder game_;
  ScratchFolder folder_;
  std::string passwordFile_;
  int webPort_ = UnusedPort();
  int rconPort_ = 0;
  unsigned long statusWindow_ = 0;
  std::optional<ChildProcess> server_;
};

TEST_F(RemoteStopUnderX, RconClientThatLeavesRightAfterStopDoesNotCrashTheServer) {
  ASSERT_TRUE(StartServer());
  {
    std::unique_ptr<RconClient> client = SignedIn();
    SendStop(*client);
  }
  ExpectStoppedWithoutAsking();
  EXPECT_NE(server_->Output().find(": /stop"), std::string::npos) << Transcript();
}

TEST_F(RemoteStopUnderX, RconStopIsAnsweredAndCarriedOut) {
  ASSERT_TRUE(StartServer());
  std::unique_ptr<RconClient> client = SignedIn();
  SendStop(*client);
  EXPECT_EQ(AnswerOf(*client), kStopping) << Transcript();
  ExpectStoppedWithoutAsking();
}

// The stop that comes second finds the first under way and is told so before the services close.
// One stop runs, once.
TEST_F(RemoteStopUnderX, TwoStopsAtOnceRunOneStopAndBothAreAnswered) {
  ASSERT_TRUE(StartServer());
  std::unique_ptr<RconClient> first = SignedIn();
  std::unique_ptr<RconClient> second = SignedIn();
  SendStop(*first);
  SendStop(*second);
  const std::optional<std::string> answers[] = {AnswerOf(*first), AnswerOf(*second)};
  int stopping = 0;
  int underWay = 0;
  for (const auto& answer : answers) {
    stopping += answer == kStopping ? 1 : 0;
    underWay += answer == "A stop is already under way.\n" ? 1 : 0;
  }
  EXPECT_EQ(stopping, 1) << Transcript();
  EXPECT_EQ(underWay, 1) << Transcript();
  ExpectStoppedWithoutAsking();
  const std::string& console = server_->Output();
  EXPECT_EQ(console.find("Server stopped."), console.rfind("Server stopped.")) << Transcript();
}

// The window's own stop question is open when a remote stop arrives: the remote stop answers it,
// so that the server does not wait on a window that nobody may be watching.
TEST_F(RemoteStopUnderX, RconStopAnswersTheWindowsOpenStopQuestion) {
  ASSERT_TRUE(StartServer());
  ASSERT_TRUE(display_.WaitForFocus(statusWindow_));
  // The first click takes the splash picture away if it still shows; the corner is bare dialog.
  ASSERT_TRUE(display_.Click(statusWindow_, 3, 3));
  ASSERT_TRUE(display_.Key("Escape"));
  ASSERT_NE(display_.WaitForWindow("VexServer", statusWindow_), 0u) << Transcript();

  std::unique_ptr<RconClient> client = SignedIn();
  SendStop(*client);
  EXPECT_EQ(AnswerOf(*client), kStopping) << Transcript();
  EXPECT_EQ(server_->WaitForExit(kLongWait), 2) << Transcript();
  const std::string& console = server_->Output();
  EXPECT_NE(console.find("Server stopped."), std::string::npos) << Transcript();
  EXPECT_EQ(console.find("Server stopped."), console.rfind("Server stopped.")) << Transcript();
}

// While the stop waits for a hung engine, a second remote stop is told that one is under way, and
// the console and the log say so too.
TEST_F(RemoteStopUnderX, ASecondStopDuringTheWaitForAHungEngineIsToldOnTheConsoleAndInTheLog) {
  const fs::path log = folder_.Path() / "server.log";
  ASSERT_TRUE(StartServer("hang:300", {"-log", log.string()}));
  ASSERT_TRUE(server_->WaitForOutput("The engine is not responding", kLongWait)) << Transcript();
  std::unique_ptr<RconClient> first = SignedIn();
  std::unique_ptr<RconClient> second = SignedIn();
  SendStop(*first);
  EXPECT_EQ(AnswerOf(*first), kStopping) << Transcript();
  ASSERT_TRUE(server_->WaitForOutput("Waiting up to 5 seconds for the engine", kLongWait))
      << Transcript();
  SendStop(*second);
  EXPECT_EQ(AnswerOf(*second), "A stop is already under way.\n") << Transcript();
  EXPECT_EQ(server_->WaitForExit(kLongWait), 2) << Transcript();
  const std::string logged = test::FileText(log);
  for (const std::string& shown : {server_->Output(), logged}) {
    const auto asked = shown.rfind(": /stop");
    ASSERT_NE(asked, std::string::npos) << shown;
    EXPECT_NE(shown.find("A stop is already under way.", asked), std::string::npos) << shown;
  }
}

TEST_F(RemoteStopUnderX, StopFromTheWebPageInChromiumIsAnsweredAndCarriedOut) {
  ASSERT_TRUE(StartServer());
  const NodeRun run = RunNodeScript(
      "webcontrol.js", {"stop", "http://127.0.0.1:" + std::to_string(webPort_) + "/", kPassword});
  EXPECT_EQ(run.ExitCode, 0) << run.Output;
  EXPECT_NE(run.Output.find("ANSWER \"Stopping the server.\\n\""), std::string::npos) << run.Output;
  ExpectStoppedWithoutAsking();
}

}  // namespace
}  // namespace vex::test
