#include <gtest/gtest.h>

#include <string>
#include <thread>
#include <vector>

#include "ServerWindow.h"

namespace vex {
namespace {

using test::ServerWindow;

struct PrintCase {
  const char* Name;
  std::vector<std::string> Texts;
  std::string Expected;
};

void PrintTo(const PrintCase& c, std::ostream* out) {
  *out << c.Name;
}

class PrintConsoleLineTest : public ::testing::TestWithParam<PrintCase> {};

TEST_P(PrintConsoleLineTest, AppendsOneLineEndedByCarriageReturnAndLineFeed) {
  ServerWindow server;
  server.Window().Create();
  for (const auto& text : GetParam().Texts) {
    server.Window().PrintConsoleLine(text);
  }
  EXPECT_EQ(server.ConsoleText(), GetParam().Expected);
}

INSTANTIATE_TEST_SUITE_P(
    Texts, PrintConsoleLineTest,
    ::testing::Values(
        PrintCase{"PlainLine", {"Server stopped."}, "Server stopped.\r\n"},
        PrintCase{"TrailingNewlineGivesNoEmptyLine", {"joined\n", "left"}, "joined\r\nleft\r\n"},
        PrintCase{"OnlyTheLastControlCharacterGoes", {"crlf\r\n"}, "crlf\r\r\n"},
        PrintCase{"TrailingTab", {"tab\t"}, "tab\r\n"},
        PrintCase{"EmptyTextAddsNothing", {"", "after"}, "after\r\n"},
        PrintCase{
            "LongTextKeepsItsFirst499", {std::string(600, 'x')}, std::string(499, 'x') + "\r\n"},
        PrintCase{"TheCutLeavesOutACharacterItWouldSplit",
                  {std::string(498, 'x') + "\xE2\x82\xAC"},
                  std::string(498, 'x') + "\r\n"},
        PrintCase{"PercentSignsArePrinted", {"100%d %s %n%%"}, "100%d %s %n%%\r\n"}),
    [](const auto& testInfo) { return std::string(testInfo.param.Name); });

TEST(PrintConsoleLine, PastTheLineLimitKeepsTheNewestQuarter) {
  ServerWindow server;
  server.Window().Create();
  for (int i = 0; i < 250; ++i) {
    server.Window().PrintConsoleLine("line " + std::to_string(i));
  }
  ASSERT_EQ(server.Console().GetLineCount(), 251);

  server.Window().PrintConsoleLine("newest");

  // 251 * 75 / 100 = 188 lines go; 62 old ones and the new one stay.
  EXPECT_EQ(server.Console().GetLineCount(), 64);
  const std::string text = server.ConsoleText();
  EXPECT_EQ(text.rfind("line 188\r\n", 0), 0u) << text.substr(0, 40);
  EXPECT_EQ(text.substr(text.size() - 18), "line 249\r\nnewest\r\n");
}

TEST(ClearButton, EmptiesTheConsoleAndTheNextLineStartsAtTheTop) {
  ServerWindow server;
  server.Window().Create();
  server.Window().PrintConsoleLine("before");
  server.Window().Control<fw::CButton>(res::IDC_CLEAR).Click();
  EXPECT_EQ(server.ConsoleText(), "");
  server.Window().PrintConsoleLine("after");
  EXPECT_EQ(server.ConsoleText(), "after\r\n");
}

TEST(SendButton, WithoutAnEngineKeepsTheFieldAndPrintsNothing) {
  ServerWindow server;
  server.Window().Create();
  server.Item(res::IDC_COMMAND).SetWindowText("map 2");
  server.Window().Control<fw::CButton>(res::IDC_SEND).Click();
  EXPECT_EQ(server.Item(res::IDC_COMMAND).GetWindowText(), "map 2");
  EXPECT_EQ(server.ConsoleText(), "");
}

TEST(SendButton, EchoesTheCommandVerbatimClearsTheFieldAndTheGameReceivesIt) {
  ServerWindow server;
  ASSERT_TRUE(server.Start());
  server.Item(res::IDC_COMMAND).SetWindowText("%d map %s");
  server.Window().Control<fw::CButton>(res::IDC_SEND).Click();

  EXPECT_TRUE(server.ConsoleHas("<< Server >>  %d map %s\r\n"));
  EXPECT_EQ(server.Item(res::IDC_COMMAND).GetWindowText(), "");
  // The bundled game answers a command it does not know with the command's own text.
  EXPECT_TRUE(server.PumpUntilConsoleHas("Unknown command: %d map %s"));
}

TEST(SendButton, SendsAtMost119CharactersAndNothingForAnEmptyField) {
  ServerWindow server;
  ASSERT_TRUE(server.Start());
  const std::string before = server.ConsoleText();
  server.Window().Control<fw::CButton>(res::IDC_SEND).Click();
  EXPECT_EQ(server.ConsoleText(), before);

  const std::string command = "say " + std::string(200, 'a');
  server.Item(res::IDC_COMMAND).SetWindowText(command);
  server.Window().Control<fw::CButton>(res::IDC_SEND).Click();
  EXPECT_TRUE(server.ConsoleHas("<< Server >>  " + command.substr(0, 119) + "\r\n"));
  EXPECT_TRUE(server.PumpUntilConsoleHas("Server: " + std::string(115, 'a') + "\r\n"));
}

TEST(SendButton, TheCutLeavesOutACharacterItWouldSplit) {
  ServerWindow server;
  ASSERT_TRUE(server.Start());
  // "say " and 114 letters are 118 bytes; the two bytes of "é" would end at byte 120.
  const std::string kept = "say " + std::string(114, 'a');
  server.Item(res::IDC_COMMAND).SetWindowText(kept + "\xC3\xA9t\xC3\xA9");
  server.Window().Control<fw::CButton>(res::IDC_SEND).Click();
  EXPECT_TRUE(server.ConsoleHas("<< Server >>  " + kept + "\r\n"));
  EXPECT_TRUE(server.PumpUntilConsoleHas("Server: " + std::string(114, 'a') + "\r\n"));
}

TEST(ConsoleOutput, LinesFromAnyThreadReachTheConsoleInOrder) {
  ServerWindow server;
  ASSERT_TRUE(server.Start());
  // The refresh drains the queue on the window thread while another thread fills it.
  std::thread engineThread([&] {
    for (int i = 0; i < 50; ++i) {
      server.Window().OnConsoleOutput(("output " + std::to_string(i)).c_str());
    }
    server.Window().OnConsoleOutput(nullptr);
  });
  const bool arrived = server.PumpUntilConsoleHas("output 49\r\n");
  engineThread.join();
  ASSERT_TRUE(arrived);
  const std::string text = server.ConsoleText();
  EXPECT_LT(text.find("output 0\r\n"), text.find("output 1\r\n"));
  EXPECT_LT(text.find("output 48\r\n"), text.find("output 49\r\n"));
}

}  // namespace
}  // namespace vex
