// vexserver -console on a real pseudo-terminal: line editing, history kept across runs, Tab
// completion of commands and player names, and game lines arriving while a line is half typed.
#include <gtest/gtest.h>
#include <signal.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <optional>
#include <ostream>
#include <regex>
#include <string>
#include <vector>

#include "PseudoTerminal.h"
#include "tests/remote/HttpGet.h"
#include "tests/support/ProgramFixtures.h"
#include "tests/support/UnusedPort.h"

namespace vex {
namespace {

using namespace std::chrono_literals;
using test::FreePort;
using test::GameFolder;
using test::kProgram;
using test::PseudoTerminal;

const std::string kUpArrow = "\x1b[A";

class LineEditing : public ::testing::Test {
 protected:
  void Start(const std::string& bots, const std::string& term = "xterm",
             const std::string& fault = "",
             unsigned short columns = PseudoTerminal::kDefaultColumns,
             const std::vector<std::string>& extraArguments = {}) {
    std::vector<std::string> arguments{"-console", "-config", "deathmatch", "-port", FreePort()};
    arguments.insert(arguments.end(), extraArguments.begin(), extraArguments.end());
    terminal_.emplace(
        kProgram, arguments, game_.Path(),
        std::vector<std::string>{"HOME=" + game_.Path(), "TERM=" + term, "VEX_SIM_BOTS=" + bots,
                                 "VEX_SIM_SEED=7", "VEX_SIM_FAULT=" + fault},
        columns);
    ASSERT_TRUE(terminal_->WaitFor("Server is running.")) << terminal_->Screen();
  }

  void Stop() {
    terminal_->Type("/stop\r");
    EXPECT_EQ(terminal_->WaitForExit(20s), 2) << terminal_->Screen();
  }

  GameFolder game_;
  std::optional<PseudoTerminal> terminal_;
};

TEST_F(LineEditing, HistoryIsRecalledWithTheUpArrowInTheNextRun) {
  Start("0");
  terminal_->Type("/status\r");
  ASSERT_TRUE(terminal_->WaitFor("Running Time:", 0));
  Stop();
  const std::filesystem::path history = game_.Path() + "/.local/state/vexserver/history";
  ASSERT_TRUE(std::filesystem::exists(history));

  Start("0");
  const std::size_t mark = terminal_->Screen().size();
  // The last line of the first run was /stop, the one before it /status.
  terminal_->Type(kUpArrow);
  ASSERT_TRUE(terminal_->WaitFor("/stop", mark)) << terminal_->Screen().substr(mark);
  terminal_->Type(kUpArrow);
  // The editor may redraw only what differs from the line shown: "atus" after "/st".
  ASSERT_TRUE(terminal_->WaitFor("atus", mark)) << terminal_->Screen().substr(mark);
  terminal_->Type("\r");
  EXPECT_TRUE(terminal_->WaitFor("Running Time:", mark)) << terminal_->Screen().substr(mark);
  Stop();
}

TEST_F(LineEditing, TabCompletesTheCommandAndThePlayerName) {
  Start("3");
  ASSERT_TRUE(terminal_->WaitFor("Ash joined the game."));
  // The roster reaches the status window with the next refresh.
  terminal_->Type("/players\r");
  ASSERT_TRUE(terminal_->WaitFor("Ash   "));
  const std::size_t mark = terminal_->Screen().size();
  terminal_->Type("/bo\t");
  ASSERT_TRUE(terminal_->WaitFor("/boot ", mark)) << terminal_->Screen().substr(mark);
  terminal_->Type("As\t\r");
  EXPECT_TRUE(terminal_->WaitFor("Ash was kicked from the server.", mark))
      << terminal_->Screen().substr(mark);

  // Tab never sends the game a command of its own: the engine's commands are learnt from the
  // help the operator asks for.
  const std::size_t engineMark = terminal_->Screen().size();
  terminal_->Type("nextm\t\t");
  terminal_->Type("\x15help\r");  // Ctrl-U: the half-typed line is not sent
  ASSERT_TRUE(terminal_->WaitFor("Commands: ", engineMark))
      << terminal_->Screen().substr(engineMark);
  const std::size_t helpShown = terminal_->Screen().find("Commands: ", engineMark);
  terminal_->Type("nextm\t");
  EXPECT_TRUE(terminal_->WaitFor("> nextmap", helpShown)) << terminal_->Screen().substr(engineMark);
  EXPECT_EQ(terminal_->Screen().find("Commands: ", helpShown + 1), std::string::npos)
      << terminal_->Screen().substr(engineMark);
  terminal_->Type("\x15");
  Stop();
}

TEST_F(LineEditing, AGameLineWhileTypingLeavesTheLineWhole) {
  Start("3");
  const std::size_t mark = terminal_->Screen().size();
  terminal_->Type("/sta");
  ASSERT_TRUE(terminal_->WaitFor("/sta", mark));
  const std::size_t typed = terminal_->Screen().size();
  // Bots join and fight: game lines arrive while the command is half typed.
  ASSERT_TRUE(terminal_->WaitFor(" joined the game.", typed)) << terminal_->Screen().substr(mark);
  const std::size_t gameLine = terminal_->Screen().find(" joined the game.", typed);
  EXPECT_TRUE(terminal_->WaitFor("> /sta", gameLine)) << "the half-typed line was not drawn again";
  terminal_->Type("tus\r");
  EXPECT_TRUE(terminal_->WaitFor("Running Time:", gameLine)) << terminal_->Screen().substr(mark);
  Stop();
}

TEST_F(LineEditing, NoPromptStaysOnTheTerminalWhenTheServerEnds) {
  Start("0");
  terminal_->Type("/sta");
  ASSERT_TRUE(terminal_->WaitFor("> /sta"));
  terminal_->Type("\x15/stop\r");
  ASSERT_EQ(terminal_->WaitForExit(20s), 2) << terminal_->Screen();
  const std::string& screen = terminal_->Screen();
  const std::size_t lastPrompt = screen.rfind("> ");
  ASSERT_NE(lastPrompt, std::string::npos);
  const std::size_t erased = screen.rfind("\r\x1b[J");
  EXPECT_TRUE(erased != std::string::npos && erased > lastPrompt)
      << screen.substr(screen.size() - std::min<std::size_t>(300, screen.size()));
  EXPECT_EQ(screen.find_first_not_of("\r\n", erased + 4), std::string::npos)
      << screen.substr(erased);
}

TEST_F(LineEditing, CtrlDOnAnEmptyLineKeepsTheCommandsWorking) {
  Start("0");
  const std::size_t mark = terminal_->Screen().size();
  terminal_->Type("\x04");
  ASSERT_TRUE(terminal_->WaitFor("Type /stop to stop the server.", mark))
      << terminal_->Screen().substr(mark);
  terminal_->Type("/status\r");
  EXPECT_TRUE(terminal_->WaitFor("Running Time:", mark)) << terminal_->Screen().substr(mark);
  Stop();
}

TEST_F(LineEditing, ADumbTerminalGetsNoEscapeSequences) {
  Start("3", "dumb");
  terminal_->Type("/status\r");
  ASSERT_TRUE(terminal_->WaitFor("Running Time:"));
  terminal_->Type("say plain\r");
  ASSERT_TRUE(terminal_->WaitFor("Server: plain"));
  Stop();
  EXPECT_EQ(terminal_->Screen().find('\x1b'), std::string::npos) << terminal_->Screen();
}

struct WideLine {
  const char* Name;
  std::size_t Typed;  // characters after the two of the prompt
  int RowsAbove;      // rows of the line above the cursor's
};

void PrintTo(const WideLine& line, std::ostream* out) {
  *out << line.Name;
}

// The rows each erase of the half-typed line went up before it cleared the screen's rest, for
// every erase written from `from` on.
std::vector<int> RowsEachEraseWentUp(const std::string& screen, std::size_t from) {
  const std::string erase = "\r\x1b[J";
  std::vector<int> rows;
  for (auto at = screen.find(erase, from); at != std::string::npos;
       at = screen.find(erase, at + 1)) {
    const std::string before = screen.substr(from, at - from);
    std::smatch up;
    rows.push_back(std::regex_search(before, up, std::regex("\x1b\\[(\\d+)A$")) ? std::stoi(up[1])
                                                                                : 0);
  }
  return rows;
}

class WideLineAtTheTerminal : public LineEditing, public ::testing::WithParamInterface<WideLine> {};

// Game lines arrive while a line is half typed on a terminal 40 columns wide: the whole line goes
// each time, from the prompt's row down, however many rows it fills.
TEST_P(WideLineAtTheTerminal, IsErasedWholeBeforeOutputArrives) {
  constexpr unsigned short kColumns = 40;
  Start("3", "xterm", "", kColumns);
  const std::size_t mark = terminal_->Screen().size();
  const std::string typed(GetParam().Typed, 'w');
  terminal_->Type(typed);
  ASSERT_TRUE(terminal_->WaitFor(typed.substr(typed.size() - 5), mark));
  const std::size_t shown = terminal_->Screen().size();
  ASSERT_TRUE(terminal_->WaitFor(" joined the game.", shown)) << terminal_->Screen().substr(mark);
  const std::vector<int> rows = RowsEachEraseWentUp(terminal_->Screen(), shown);
  ASSERT_FALSE(rows.empty()) << terminal_->Screen().substr(shown);
  for (const int up : rows) {
    EXPECT_EQ(up, GetParam().RowsAbove) << terminal_->Screen().substr(shown);
  }
  terminal_->Type("\x15");
  Stop();
}

INSTANTIATE_TEST_SUITE_P(LineEditing, WideLineAtTheTerminal,
                         ::testing::Values(WideLine{"WithinOneRow", 20, 0},
                                           WideLine{"EndingAtTheRightEdge", 38, 1},
                                           WideLine{"OverThreeRows", 100, 2}),
                         [](const auto& line) { return std::string(line.param.Name); });

struct ColouredLine {
  const char* Name;
  const char* Fault;
  const char* Text;
  const char* Colour;
};

void PrintTo(const ColouredLine& line, std::ostream* out) {
  *out << line.Name;
}

class ColouredLineAtTheTerminal : public LineEditing,
                                  public ::testing::WithParamInterface<ColouredLine> {};

TEST_P(ColouredLineAtTheTerminal, ShowsInItsSeveritysColour) {
  Start("0", "xterm", GetParam().Fault);
  const std::string coloured = std::string(GetParam().Colour) + GetParam().Text;
  EXPECT_TRUE(terminal_->WaitFor(coloured)) << terminal_->Screen();
}

INSTANTIATE_TEST_SUITE_P(
    LineEditing, ColouredLineAtTheTerminal,
    ::testing::Values(ColouredLine{"Warning", "hang:1", "The engine is not responding", "\x1b[33m"},
                      ColouredLine{"Error", "frame:30", "Simulated engine failure in frame 30",
                                   "\x1b[31m"}),
    [](const auto& line) { return std::string(line.param.Name); });

// Nobody reads the terminal (a stalled SSH session, a paused tmux pane): the output fills the
// terminal's buffer, and the server still takes its commands and stops.
TEST_F(LineEditing, AStalledTerminalDoesNotHoldTheCommandsUp) {
  Start("8");
  for (int i = 0; i < 200; ++i) {
    terminal_->Type("/help\r");
  }
  terminal_->Type("/stop\r");
  EXPECT_EQ(terminal_->WaitForExitUnread(20s), 2);
}

struct LoneKey {
  const char* Name;
  const char* Bytes;
};

void PrintTo(const LoneKey& key, std::ostream* out) {
  *out << key.Name;
}

class LoneKeyAtTheTerminal : public LineEditing, public ::testing::WithParamInterface<LoneKey> {};

// A key whose bytes the editor waits to complete holds nothing else up: the metrics answer, the
// game's lines keep coming, and Ctrl-C stops the server.
TEST_P(LoneKeyAtTheTerminal, HoldsNothingUp) {
  const int metricsPort = test::UnusedPort();
  Start("3", "xterm", "", PseudoTerminal::kDefaultColumns,
        {"-metricsport", std::to_string(metricsPort)});
  ASSERT_TRUE(terminal_->WaitFor(" joined the game."));
  terminal_->Type(GetParam().Bytes);
  EXPECT_TRUE(test::HttpGet(metricsPort, "/metrics"));
  // The editor draws nothing for the key: what comes now is the game's.
  const std::size_t scraped = terminal_->Screen().size();
  EXPECT_TRUE(terminal_->WaitFor(".", scraped)) << terminal_->Screen().substr(scraped);
  const std::size_t mark = terminal_->Screen().size();
  terminal_->Type("\x03");
  EXPECT_EQ(terminal_->WaitForExit(20s), 2) << terminal_->Screen().substr(mark);
  EXPECT_NE(terminal_->Screen().find("Server stopped.", mark), std::string::npos)
      << terminal_->Screen().substr(mark);
}

INSTANTIATE_TEST_SUITE_P(LineEditing, LoneKeyAtTheTerminal,
                         ::testing::Values(LoneKey{"Escape", "\x1b"},
                                           LoneKey{"FirstByteOfACharacter", "\xc3"},
                                           LoneKey{"AltB", "\x1b\x62"},
                                           LoneKey{"AltBWithTheEighthBitSet", "\xe2"}),
                         [](const auto& key) { return std::string(key.param.Name); });

// Ctrl-C as typed, SIGTERM and SIGHUP as sent (a tmux or SSH session that ends), each after the
// operator has typed a line, which is when the line editor had taken the signals over.
class StopSignalAtTheTerminal : public LineEditing, public ::testing::WithParamInterface<int> {};

TEST_P(StopSignalAtTheTerminal, AfterATypedLineStopsTheServerAndExitsWith2) {
  Start("3");
  terminal_->Type("/status\r");
  ASSERT_TRUE(terminal_->WaitFor("Running Time:"));
  const std::size_t mark = terminal_->Screen().size();
  if (GetParam() == SIGINT) {
    terminal_->Type("\x03");
  } else {
    terminal_->Signal(GetParam());
  }
  EXPECT_EQ(terminal_->WaitForExit(20s), 2) << terminal_->Screen().substr(mark);
  EXPECT_NE(terminal_->Screen().find("Server stopped.", mark), std::string::npos)
      << terminal_->Screen().substr(mark);
  EXPECT_TRUE(std::filesystem::exists(game_.Path() + "/.local/state/vexserver/history"));
}

INSTANTIATE_TEST_SUITE_P(LineEditing, StopSignalAtTheTerminal,
                         ::testing::Values(SIGINT, SIGTERM, SIGHUP),
                         [](const ::testing::TestParamInfo<int>& signal) {
                           return signal.param == SIGINT    ? std::string("CtrlC")
                                  : signal.param == SIGTERM ? std::string("Sigterm")
                                                            : std::string("Sighup");
                         });

}  // namespace
}  // namespace vex
