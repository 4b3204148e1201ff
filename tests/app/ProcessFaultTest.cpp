// Faults that reach the console front-end's process from outside: a hung engine frame, stop
// signals, standard output whose reader stalls or goes away, standard input without line feeds,
// and control bytes in text bound for the terminal.
#include <gtest/gtest.h>
#include <signal.h>

#include <chrono>
#include <cstring>
#include <fstream>
#include <iterator>
#include <optional>
#include <ostream>
#include <regex>
#include <string>
#include <vector>

#include "tests/support/ChildProcess.h"
#include "tests/support/FileText.h"
#include "tests/support/ProgramFixtures.h"

namespace vex {
namespace {

using namespace std::chrono_literals;
using test::ChildProcess;
using test::FreePort;
using test::GameFolder;
using test::kProgram;

const std::string kRunning = "Server is running.";
const std::string kStopped = "Server stopped.";

// The most memory the process has held so far (VmHWM), in KiB.
long PeakMemoryKiB(pid_t pid) {
  std::ifstream status("/proc/" + std::to_string(pid) + "/status");
  std::string line;
  while (std::getline(status, line)) {
    if (line.rfind("VmHWM:", 0) == 0) {
      return std::stol(line.substr(6));
    }
  }
  return -1;
}

std::size_t Occurrences(const std::string& text, const std::string& part) {
  std::size_t count = 0;
  for (auto at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) {
    ++count;
  }
  return count;
}

class ConsoleServer : public ::testing::Test {
 protected:
  void Start(const std::vector<std::string>& environment = {},
             const std::vector<std::string>& extraArguments = {}) {
    std::vector<std::string> arguments{"-console", "-config", "deathmatch", "-port", FreePort()};
    arguments.insert(arguments.end(), extraArguments.begin(), extraArguments.end());
    server_.emplace(kProgram, arguments, game_.Path(), environment);
    ASSERT_TRUE(server_->WaitForOutput(kRunning)) << server_->Output() << server_->Errors();
  }

  // Many lines of output for a few bytes of input: far more than a pipe and the program's own
  // holding space take together.
  void AskForMuchOutput() {
    std::string lines;
    for (int i = 0; i < 2000; ++i) {
      lines += "/help\n";
    }
    server_->Write(lines);
  }

  bool InputAllRead() {
    return server_->CollectUntil([this] { return server_->UnreadInput() <= 0; }, 10s, 20ms);
  }

  std::string Everything() const { return server_->Output() + server_->Errors(); }

  GameFolder game_;
  std::optional<ChildProcess> server_;
};

struct StopWay {
  const char* Name;
  int Signal;  // 0: the line instead
  const char* Line;
};

void PrintTo(const StopWay& way, std::ostream* out) {
  *out << way.Name;
}

class HungFrame : public ConsoleServer, public ::testing::WithParamInterface<StopWay> {};

const std::string kNotResponding = "The engine is not responding; it last answered at ";
const std::string kWaiting = "Waiting up to 5 seconds for the engine to finish its frame";

void AskToStop(ChildProcess& server, const StopWay& way) {
  if (way.Signal != 0) {
    server.Signal(way.Signal);
  } else {
    server.Write(way.Line);
  }
}

TEST_P(HungFrame, EveryStopReachesTheGiveUpAndEndsTheProcess) {
  Start({"VEX_SIM_FAULT=hang:1"});
  // The window thread stays free: an action that needs the engine is refused on the console.
  bool refused = false;
  for (int attempt = 0; attempt < 20 && !refused; ++attempt) {
    server_->Write("/next\n");
    refused = server_->WaitForOutput("The engine is not answering", 500ms);
  }
  ASSERT_TRUE(refused) << Everything();
  ASSERT_TRUE(server_->WaitForOutput(kNotResponding)) << Everything();

  AskToStop(*server_, GetParam());
  // The wait runs in the event loop, which still takes the operator's lines.
  ASSERT_TRUE(server_->WaitForOutput(kWaiting)) << Everything();
  server_->Write("/status\n");
  EXPECT_TRUE(server_->WaitForOutput("Server Name:")) << Everything();
  EXPECT_EQ(server_->WaitForExit(30s), 2) << Everything();
  const std::string& output = server_->Output();
  EXPECT_EQ(Occurrences(output, kNotResponding), 1u) << output;
  const auto abandoned = output.find("The engine did not stop within 5 seconds and was abandoned.");
  ASSERT_NE(abandoned, std::string::npos) << output;
  EXPECT_GT(abandoned, output.find(kWaiting)) << output;
  EXPECT_NE(output.find(kStopped, abandoned), std::string::npos) << output;
}

INSTANTIATE_TEST_SUITE_P(Stops, HungFrame,
                         ::testing::Values(StopWay{"Sigint", SIGINT, nullptr},
                                           StopWay{"Sigterm", SIGTERM, nullptr},
                                           StopWay{"Sighup", SIGHUP, nullptr},
                                           StopWay{"StopCommand", 0, "/stop\n"}),
                         [](const auto& stop) { return std::string(stop.param.Name); });

struct TwoStops {
  StopWay First;
  int Second;
};

void PrintTo(const TwoStops& stops, std::ostream* out) {
  *out << stops.First.Name << "Then" << stops.Second;
}

class SecondStopSignal : public ConsoleServer, public ::testing::WithParamInterface<TwoStops> {};

// Documented: exit code 3, the engine left as it was, the last lines still written.
TEST_P(SecondStopSignal, DuringTheWaitForAHungEngineEndsTheProcessAtOnce) {
  Start({"VEX_SIM_FAULT=hang:1"});
  // A stop that comes before the first frame has begun would find nothing to wait for.
  ASSERT_TRUE(server_->WaitForOutput(kNotResponding)) << Everything();
  AskToStop(*server_, GetParam().First);
  ASSERT_TRUE(server_->WaitForOutput(kWaiting)) << Everything();
  server_->Signal(GetParam().Second);
  EXPECT_EQ(server_->WaitForExit(30s), 3) << Everything();
  const std::string& output = server_->Output();
  const auto ended = output.find("The engine was abandoned without waiting for its frame to end.");
  ASSERT_NE(ended, std::string::npos) << output;
  EXPECT_NE(output.find(kStopped, ended), std::string::npos) << output;
  EXPECT_EQ(output.find("within 5 seconds"), std::string::npos) << output;
}

INSTANTIATE_TEST_SUITE_P(Stops, SecondStopSignal,
                         ::testing::Values(TwoStops{{"Sigterm", SIGTERM, nullptr}, SIGTERM},
                                           TwoStops{{"Sigterm", SIGTERM, nullptr}, SIGINT},
                                           TwoStops{{"Sighup", SIGHUP, nullptr}, SIGTERM},
                                           TwoStops{{"StopCommand", 0, "/stop\n"}, SIGINT}),
                         [](const auto& stops) {
                           return std::string(stops.param.First.Name) + "Then" +
                                  strsignal(stops.param.Second);
                         });

class SecondStopCommand : public ConsoleServer, public ::testing::WithParamInterface<StopWay> {};

// The operator who types /stop again while the stop waits for a hung engine is told so, and the
// one stop under way ends the process as usual.
TEST_P(SecondStopCommand, DuringTheWaitForAHungEngineSaysAStopIsUnderWay) {
  Start({"VEX_SIM_FAULT=hang:1"});
  ASSERT_TRUE(server_->WaitForOutput(kNotResponding)) << Everything();
  AskToStop(*server_, GetParam());
  ASSERT_TRUE(server_->WaitForOutput(kWaiting)) << Everything();
  server_->Write("/stop\n");
  EXPECT_TRUE(server_->WaitForOutput("A stop is already under way.")) << Everything();
  EXPECT_EQ(server_->WaitForExit(30s), 2) << Everything();
  const std::string& output = server_->Output();
  EXPECT_EQ(Occurrences(output, kWaiting), 1u) << output;
  EXPECT_EQ(Occurrences(output, kStopped), 1u) << output;
}

INSTANTIATE_TEST_SUITE_P(Stops, SecondStopCommand,
                         ::testing::Values(StopWay{"Sigterm", SIGTERM, nullptr},
                                           StopWay{"StopCommand", 0, "/stop\n"}),
                         [](const auto& stop) { return std::string(stop.param.Name); });

struct HungStartCase {
  const char* Name;
  const char* Fault;
  int First;
  int Second;
  bool Initialised;  // the hang comes after "Server initialized."
};

void PrintTo(const HungStartCase& hang, std::ostream* out) {
  *out << hang.Name;
}

class HungStart : public ::testing::TestWithParam<HungStartCase> {};

// An engine call that never returns while the server starts leaves no event loop to take a stop
// signal. The first is answered on standard error; the second ends the process with the code of
// a stop that did not wait for the engine, and the log that says "Server initialized." also says
// "Server stopped.".
TEST_P(HungStart, ASecondStopSignalEndsTheProcess) {
  GameFolder game;
  const std::string log = game.Path() + "/server.log";
  ChildProcess server(kProgram,
                      {"-console", "-config", "deathmatch", "-port", FreePort(), "-log", log},
                      game.Path(), {std::string("VEX_SIM_FAULT=") + GetParam().Fault});
  // The call follows these lines at once, with no event loop between.
  ASSERT_TRUE(server.WaitForOutput(GetParam().Initialised ? "Server initialized."
                                                          : "Initializing the server..."))
      << server.Output() << server.Errors();
  server.Signal(GetParam().First);
  ASSERT_TRUE(server.CollectUntil(
      [&] { return server.Errors().find("a second stop signal ends it") != std::string::npos; },
      10s))
      << server.Output() << server.Errors();
  server.Signal(GetParam().Second);
  EXPECT_EQ(server.WaitForExit(), 3) << server.Output() << server.Errors();

  const std::string logged = test::FileText(log);
  for (const std::string& shown : {server.Output(), logged}) {
    const auto ended = shown.find("A second stop signal: the server ends without waiting");
    ASSERT_NE(ended, std::string::npos) << shown;
    EXPECT_EQ(shown.find(kStopped, ended) != std::string::npos, GetParam().Initialised) << shown;
  }
}

INSTANTIATE_TEST_SUITE_P(Stops, HungStart,
                         ::testing::Values(HungStartCase{"CreateThenSigterms", "hang:create",
                                                         SIGTERM, SIGTERM, false},
                                           HungStartCase{"HostingThenSigintAndSighup", "hang:host",
                                                         SIGINT, SIGHUP, true}),
                         [](const auto& hang) { return std::string(hang.param.Name); });

TEST_F(ConsoleServer, HangUpStopsTheServerLikeSigterm) {
  Start();
  server_->Signal(SIGHUP);
  EXPECT_EQ(server_->WaitForExit(), 2) << Everything();
  EXPECT_NE(server_->Output().find(kStopped), std::string::npos) << server_->Output();
}

TEST_F(ConsoleServer, EngineErrorPrintsTheReasonStopsAndExitsWith1) {
  Start({"VEX_SIM_FAULT=frame:30"});
  EXPECT_EQ(server_->WaitForExit(), 1) << Everything();
  const std::string& output = server_->Output();
  const auto reason = output.find("Simulated engine failure in frame 30");
  ASSERT_NE(reason, std::string::npos) << output;
  EXPECT_NE(output.find(kStopped, reason), std::string::npos) << output;
}

TEST_F(ConsoleServer, AReaderOfOutputThatHasGoneCostsOnlyTheOutput) {
  Start();
  server_->CloseOutput();
  server_->Write("say nobody reads this\n/help\n");
  EXPECT_EQ(server_->WaitForExit(1s), -1) << "ended without its stop: " << server_->Errors();
  server_->Signal(SIGTERM);
  EXPECT_EQ(server_->WaitForExit(), 2) << server_->Errors();
}

TEST_F(ConsoleServer, AStalledReaderOfOutputDoesNotHoldUpTheStop) {
  Start();
  server_->StallOutput();
  AskForMuchOutput();
  InputAllRead();
  server_->Signal(SIGTERM);
  EXPECT_EQ(server_->WaitForExit(20s), 2) << server_->Errors();
}

TEST_F(ConsoleServer, OutputLostToAStalledReaderIsCountedInOneLineOnceItReadsAgain) {
  Start();
  server_->StallOutput();
  AskForMuchOutput();
  ASSERT_TRUE(InputAllRead());
  server_->ResumeOutput();
  ASSERT_TRUE(server_->WaitForOutput("lines of output were dropped")) << server_->Errors();
  server_->Write("/status\n");
  ASSERT_TRUE(server_->WaitForOutput("Server Name:"));
  const std::string& output = server_->Output();
  EXPECT_EQ(Occurrences(output, "lines of output were dropped"), 1u);
  std::smatch count;
  ASSERT_TRUE(std::regex_search(output, count, std::regex(R"(\[(\d+) lines of output)")));
  EXPECT_GT(std::stoi(count[1]), 0);
  server_->Signal(SIGTERM);
  EXPECT_EQ(server_->WaitForExit(), 2);
}

TEST_F(ConsoleServer, InputWithoutLineFeedsCannotTakeTheMemory) {
  Start();
  const long before = PeakMemoryKiB(server_->Pid());
  ASSERT_GT(before, 0);
  const std::string chunk(1 << 20, 'x');
  for (int i = 0; i < 64; ++i) {
    server_->Write(chunk);
  }
  server_->Write("\nsay after the long line\n");
  ASSERT_TRUE(server_->WaitForOutput("<< Server >>  say after the long line")) << Everything();
  const long grown = PeakMemoryKiB(server_->Pid()) - before;
  EXPECT_LT(grown, 16 * 1024) << "KiB";
  EXPECT_EQ(Occurrences(server_->Output(), "the rest of it is dropped"), 1u) << server_->Output();
  server_->Signal(SIGTERM);
  EXPECT_EQ(server_->WaitForExit(), 2);
}

TEST_F(ConsoleServer, ControlBytesInTheServerNameAreShownNotObeyed) {
  Start({}, {"-name", "Evil\nServer\x1b[31mRed"});
  ASSERT_TRUE(server_->WaitForOutput("Hosting \"")) << server_->Output();
  const std::string& output = server_->Output();
  EXPECT_NE(output.find("Hosting \"Evil\\nServer\\x1b[31mRed\""), std::string::npos) << output;
  EXPECT_EQ(output.find('\x1b'), std::string::npos);
  server_->Signal(SIGTERM);
  EXPECT_EQ(server_->WaitForExit(), 2);
}

}  // namespace
}  // namespace vex
