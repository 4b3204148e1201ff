#include <gtest/gtest.h>
#include <unistd.h>

#include <csignal>
#include <optional>
#include <string>
#include <vector>

#include "framework/MessageBox.h"
#include "framework/console/StopSignals.h"
#include "framework/console/TerminalInput.h"
#include "framework/console/TerminalKeys.h"
#include "framework/testing/BackEndForTests.h"

namespace vex::fw {
namespace {

using test::PumpUntil;
using Lines = std::vector<std::string>;

TEST(ConsoleTerminal, LinesAreCutAtLineFeeds) {
  struct Case {
    std::vector<std::string> chunks;
    Lines lines;
    Lines atEnd;
  };
  const Case cases[] = {
      {{"say hello\n"}, {"say hello"}, {}},
      {{"say hel", "lo\r\n/next\n"}, {"say hello", "/next"}, {}},
      {{"\n\n"}, {"", ""}, {}},
      {{"/stop"}, {}, {"/stop"}},
      {{"a\rb\n"}, {"a\rb"}, {}},
      {{std::string("x\0y\n", 4)}, {std::string("x\0y", 3)}, {}},
      {{std::string(5000, 'a') + "\r\nnext\n"}, {std::string(4096, 'a'), "next"}, {}},
      {{std::string(3000, 'b'), std::string(3000, 'b'), "\n"}, {std::string(4096, 'b')}, {}},
  };
  for (const Case& c : cases) {
    LineSplitter splitter;
    Lines lines;
    for (const std::string& chunk : c.chunks) {
      for (std::string& line : splitter.Feed(chunk)) {
        lines.push_back(std::move(line));
      }
    }
    EXPECT_EQ(lines, c.lines) << c.chunks.front().substr(0, 20);
    EXPECT_EQ(splitter.Finish(), c.atEnd) << c.chunks.front().substr(0, 20);
  }
}

// The line editor is handed whole keys only; what waits for the rest of a key is said, and bytes
// that begin no key are dropped.
TEST(ConsoleTerminal, BytesAreCutIntoWholeKeys) {
  struct Case {
    std::vector<std::string> chunks;
    Lines keys;
    bool waiting;
  };
  const Case cases[] = {
      {{"ab\r"}, {"a", "b", "\r"}, false},
      {{"\x1b"}, {}, true},
      {{"\x1b", "[A"}, {"\x1b[A"}, false},
      {{"\x1b[1;5", "Cx"}, {"\x1b[1;5C", "x"}, false},
      {{"\x1bOA\x1b\x1b[D"}, {"\x1bOA", "\x1b\x1b[D"}, false},
      {{"\x1b"
        "b"},
       {"\x1b"
        "b"},
       false},
      {{"\x1b\xc3", "\xa9"}, {"\x1b\xc3\xa9"}, false},
      {{"\xc3"}, {}, true},
      {{"\xe2\x82", "\xac!"}, {"\xe2\x82\xac", "!"}, false},
      {{"\xf0\x9f\x99\x82"}, {"\xf0\x9f\x99\x82"}, false},
      {{"\x80\xffz"}, {"z"}, false},
      {{"\xc3z"}, {"z"}, false},
      {{"\xe0\x80\x80y"}, {"y"}, false},
      {{"\xed\xa0\x80y"}, {"y"}, false},
      {{"\x1b[\x01"}, {"\x01"}, false},
      {{"\x1b[" + std::string(40, '1')}, {}, false},
  };
  for (const Case& c : cases) {
    TerminalKeys terminal;
    Lines keys;
    for (const std::string& chunk : c.chunks) {
      terminal.Feed(chunk);
      while (std::optional<std::string> key = terminal.Next()) {
        keys.push_back(std::move(*key));
      }
    }
    EXPECT_EQ(keys, c.keys) << testing::PrintToString(c.chunks);
    EXPECT_EQ(terminal.Waiting(), c.waiting) << testing::PrintToString(c.chunks);
  }
}

TEST(ConsoleTerminal, AKeyThatNeverEndsIsGivenUp) {
  TerminalKeys terminal;
  terminal.Feed("\x1b");
  ASSERT_TRUE(terminal.Waiting());
  terminal.GiveUp();
  terminal.Feed("b");
  EXPECT_EQ(terminal.Next(), "b");
  EXPECT_FALSE(terminal.Waiting());
}

TEST(ConsoleTerminal, InputFromAPipeArrivesLineByLineAndItsEndStopsOnlyTheReading) {
  int fds[2];
  ASSERT_EQ(pipe(fds), 0);
  Lines received;
  {
    TerminalInput input(fds[0], [&](const std::string& line) {
      received.push_back(line);
      return true;
    });
    ASSERT_TRUE(input.Reading());
    ASSERT_EQ(write(fds[1], "say hello\n/players\r\npart", 24), 24);
    ASSERT_TRUE(PumpUntil([&] { return received.size() == 2; }));
    close(fds[1]);
    ASSERT_TRUE(PumpUntil([&] { return !input.Reading(); }));
  }
  close(fds[0]);
  EXPECT_EQ(received, (Lines{"say hello", "/players", "part"}));
}

TEST(ConsoleTerminal, ClosedInputIsNotRead) {
  int fds[2];
  ASSERT_EQ(pipe(fds), 0);
  close(fds[0]);
  close(fds[1]);
  TerminalInput input(fds[0], [](const std::string&) { return true; });
  EXPECT_FALSE(input.Reading());
}

// The handler stays in force: a second signal reaches the loop too, where the status window ends
// a stop that still waits for the engine.
TEST(ConsoleTerminal, EveryStopSignalIsDeliveredOnTheLoopOnce) {
  int stops = 0;
  {
    StopSignals signals([&] { ++stops; });
    ASSERT_TRUE(signals.Installed());
    for (int signalNumber : {SIGINT, SIGTERM, SIGINT}) {
      ASSERT_EQ(raise(signalNumber), 0);
    }
    EXPECT_EQ(stops, 0);  // nothing runs inside the handler
    ASSERT_TRUE(PumpUntil([&] { return stops == 3; }));
  }
  struct sigaction restored {};
  sigaction(SIGINT, nullptr, &restored);
  EXPECT_EQ(restored.sa_handler, SIG_DFL);
}

TEST(ConsoleTerminal, MessageBoxesGoToStandardErrorAndQuestionsAreAnsweredYes) {
  ::testing::internal::CaptureStderr();
  EXPECT_EQ(AfxMessageBox("ERROR - Unable to start server. %s", MessageBoxStyle::OkWarning), IDOK);
  EXPECT_EQ(
      AfxMessageBox("Are you sure you want to stop the server?", MessageBoxStyle::YesNoQuestion),
      IDYES);
  EXPECT_EQ(::testing::internal::GetCapturedStderr(),
            "VexServer: ERROR - Unable to start server. %s\n"
            "VexServer: Are you sure you want to stop the server?\n"
            "VexServer: answered Yes\n");
}

}  // namespace
}  // namespace vex::fw
