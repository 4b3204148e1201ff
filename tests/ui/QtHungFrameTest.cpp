// A hung frame leaves its engine abandoned for the rest of the process, so this test has a
// process of its own.
#include <gtest/gtest.h>

#include "ServerWindow.h"

namespace vex {
namespace {

using test::MessageBoxRecorder;
using test::PumpUntil;
using test::ScopedEnvironment;
using test::ServerWindow;

TEST(QtHungFrame, TheWindowSaysSoStaysResponsiveAndItsStopButtonGivesUpOnTheEngine) {
  ScopedEnvironment fault("VEX_SIM_FAULT", "hang:1");
  ServerWindow server;
  ASSERT_TRUE(server.Start());
  auto& nextLevel = server.Window().Control<fw::CButton>(res::IDC_NEXT_LEVEL);
  // The first frame may not have taken the session lock yet; once it has, a click is refused.
  ASSERT_TRUE(PumpUntil(
      [&] {
        nextLevel.Click();
        return server.ConsoleHas("The engine is not answering");
      },
      10000));

  ASSERT_TRUE(server.PumpUntilConsoleHas("The engine is not responding; it last answered at "));

  MessageBoxRecorder yes(fw::IDYES);
  server.Window().Control<fw::CButton>(res::IDC_STOP_SERVER).Click();
  // The stop waits in the event loop: the window says so and still carries out a click.
  ASSERT_TRUE(server.ConsoleHas("Waiting up to 5 seconds for the engine to finish its frame"));
  const std::string beforeClick = server.ConsoleText();
  nextLevel.Click();
  EXPECT_GT(server.ConsoleText().size(), beforeClick.size());
  ASSERT_TRUE(PumpUntil([&] { return !server.Window().IsWindowVisible(); }, 20000));
  const std::string console = server.ConsoleText();
  const auto abandoned =
      console.find("The engine did not stop within 5 seconds and was abandoned.");
  ASSERT_NE(abandoned, std::string::npos) << console;
  EXPECT_NE(console.find("Server stopped.", abandoned), std::string::npos) << console;
  EXPECT_EQ(server.Window().Session().Engine(), nullptr);
}

}  // namespace
}  // namespace vex
