#include <gtest/gtest.h>

#include <array>
#include <filesystem>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "ServerWindow.h"
#include "framework/StringTable.h"
#include "ui/StatusRefresh.h"

namespace vex {
namespace {

using test::MessageBoxRecorder;
using test::PumpUntil;
using test::ScopedEnvironment;
using test::ServerWindow;

std::string Text(int id) {
  return std::string(fw::LoadStringOrEmpty(id));
}

std::vector<std::string> BoxTexts(const MessageBoxRecorder& boxes) {
  std::vector<std::string> texts;
  for (const auto& box : boxes.Boxes()) {
    texts.push_back(box.text);
  }
  return texts;
}

std::vector<std::string> ItemTexts(fw::CListCtrl& list) {
  std::vector<std::string> texts;
  for (int item = 0; item < list.GetItemCount(); ++item) {
    texts.push_back(list.GetItemText(item, 0));
  }
  return texts;
}

TEST(PlayerColumnWidths, SplitTheListWidthLessTheAllowanceByShare) {
  EXPECT_EQ(PlayerColumnWidths(600), (std::array<int, 6>{202, 63, 63, 75, 69, 104}));
}

TEST(ServerWindowStart, FillsTheTextsLevelsAndColumnsFromTheConfiguration) {
  ServerWindow server;
  ASSERT_TRUE(server.Start());

  EXPECT_EQ(server.Window().GetWindowText(), "VexServer");
  EXPECT_EQ(server.Item(res::IDC_SERVER_NAME).GetWindowText(), "Test Server");
  EXPECT_EQ(server.Item(res::IDC_GAME_TYPE).GetWindowText(), "Deathmatch");
  EXPECT_EQ(server.Item(res::IDC_PLAYERS).GetWindowText(), "0/12");
  EXPECT_EQ(server.Item(res::IDC_RUNNING_TIME).GetWindowText(), "00m:00s");
  EXPECT_EQ(server.Item(res::IDC_LEVEL_TIME).GetWindowText(), "00m:00s");
  EXPECT_EQ(server.Item(res::IDC_TOTAL_PLAYERS).GetWindowText(), "0");
  // A level name no longer than its "Worlds\Multi\" prefix shows as an empty row.
  EXPECT_EQ(ItemTexts(server.List(res::IDC_LEVEL_LIST)),
            (std::vector<std::string>{"Arena", "", "Foundry"}));
  EXPECT_FALSE(server.Item(res::IDC_BOOT_PLAYER).IsWindowEnabled());
  EXPECT_FALSE(server.Item(res::IDC_SELECT_LEVEL).IsWindowEnabled());

  auto& players = server.List(res::IDC_PLAYER_LIST);
  const auto widths = PlayerColumnWidths(players.GetOuterWidth());
  const std::array<const char*, 6> headings = {"Name", "Ping", "Kills", "Score", "Lives", "Time"};
  ASSERT_EQ(players.GetColumnCount(), 6);
  for (int column = 0; column < 6; ++column) {
    EXPECT_EQ(players.GetColumnHeading(column), headings[column]);
    EXPECT_EQ(players.GetColumnWidth(column), widths[column]);
  }
  EXPECT_EQ(server.List(res::IDC_LEVEL_LIST).GetColumnHeading(0), "World");
  EXPECT_TRUE(server.ConsoleHas(
      "Initializing the server...\r\nServer initialized.\r\nServer is running.\r\n"));
}

TEST(ServerWindowStart, ShowingTheWindowAgainDoesNotStartASecondTime) {
  ServerWindow server;
  ASSERT_TRUE(server.Start());
  server.Window().ShowWindow(false);
  server.Window().ShowWindow(true);
  fw::PumpEvents(200);
  const std::string text = server.ConsoleText();
  EXPECT_EQ(text.find("Initializing"), text.rfind("Initializing"));
  EXPECT_TRUE(server.Window().Session().HasThread());
}

TEST(ServerWindowStart, InitialisingAgainMarksTheCurrentLevelAfresh) {
  ServerWindow server;
  ASSERT_TRUE(server.Start());
  auto& levels = server.List(res::IDC_LEVEL_LIST);
  const auto firstLevelMarked = [&] { return levels.GetStateImage(0) == kCurrentLevelImage; };
  ASSERT_TRUE(PumpUntil(firstLevelMarked));

  // The host setup refills the level list, so the first level's row starts unmarked again.
  ASSERT_TRUE(server.Window().Session().Initialise());
  ASSERT_TRUE(server.Window().Session().Start());
  EXPECT_TRUE(PumpUntil(firstLevelMarked));
}

TEST(SelectionButtons, FollowWhetherTheirListHasASelectedRow) {
  ServerWindow server;
  server.Window().Create();
  for (const auto& [listId, buttonId] : {std::pair{res::IDC_PLAYER_LIST, res::IDC_BOOT_PLAYER},
                                         std::pair{res::IDC_LEVEL_LIST, res::IDC_SELECT_LEVEL}}) {
    auto& list = server.List(listId);
    list.InsertItem(0, "first");
    list.InsertItem(1, "second");
    list.SetItemSelected(1, true);
    EXPECT_TRUE(server.Item(buttonId).IsWindowEnabled()) << listId;
    list.SetItemSelected(0, true);
    EXPECT_TRUE(server.Item(buttonId).IsWindowEnabled()) << listId;
    list.SetItemSelected(0, false);
    EXPECT_FALSE(server.Item(buttonId).IsWindowEnabled()) << listId;
    list.SetItemSelected(1, true);
    list.DeleteItem(1);
    EXPECT_FALSE(server.Item(buttonId).IsWindowEnabled()) << listId;
  }
}

int CountOf(const std::string& text, const std::string& part) {
  int count = 0;
  for (auto at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) {
    ++count;
  }
  return count;
}

TEST(BootPlayer, KicksTheSelectedClientOncePerClickButNeverTheProtectedOne) {
  ScopedEnvironment bots("VEX_SIM_BOTS", "3");
  ServerWindow server;
  ASSERT_TRUE(server.Start());
  auto& players = server.List(res::IDC_PLAYER_LIST);
  ASSERT_TRUE(PumpUntil([&] { return players.GetItemCount() == 3; }, 10000));
  auto& boot = server.Window().Control<fw::CButton>(res::IDC_BOOT_PLAYER);
  const std::string kicked = "was kicked from the server.";

  boot.Click();  // nothing selected
  {
    // Held so that no game message replaces the protected id between the two steps.
    std::lock_guard lock(server.Window().Session().Lock());
    players.SetItemSelected(0, true);
    server.Window().Tracking().ProtectedClientId =
        static_cast<std::int32_t>(players.GetItemData(0));
    boot.Click();
  }
  fw::PumpEvents(500);
  EXPECT_EQ(CountOf(server.ConsoleText(), kicked), 0);

  {
    std::lock_guard lock(server.Window().Session().Lock());
    players.SetItemSelected(0, true);
    server.Window().Tracking().ProtectedClientId = -1;
    boot.Click();
  }
  EXPECT_TRUE(server.PumpUntilConsoleHas(kicked));
  EXPECT_TRUE(PumpUntil([&] { return players.GetItemCount() == 2; }));
  EXPECT_EQ(CountOf(server.ConsoleText(), kicked), 1);
}

struct CancelCase {
  const char* Name;
  bool StartServer;
  int Answer;
  bool Asked;
  bool KeepsRunning;
};

void PrintTo(const CancelCase& c, std::ostream* out) {
  *out << c.Name;
}

class CancelPathTest : public ::testing::TestWithParam<CancelCase> {};

TEST_P(CancelPathTest, AsksOnlyWhileAnEngineExists) {
  const CancelCase& param = GetParam();
  ServerWindow server;
  if (param.StartServer) {
    ASSERT_TRUE(server.Start());
  } else {
    server.Window().Create();
  }
  MessageBoxRecorder boxes(param.Answer);
  server.Window().Control<fw::CButton>(res::IDC_STOP_SERVER).Click();

  if (param.Asked) {
    ASSERT_EQ(boxes.Boxes().size(), 1u);
    EXPECT_EQ(boxes.Boxes()[0].text, "Are you sure you want to stop the server?");
    EXPECT_EQ(boxes.Boxes()[0].caption, "VexServer");
    EXPECT_EQ(boxes.Boxes()[0].style, fw::MessageBoxStyle::YesNoQuestion);
  } else {
    EXPECT_TRUE(boxes.Boxes().empty());
  }
  EXPECT_EQ(server.Window().Session().HasThread(), param.KeepsRunning);
  EXPECT_EQ(server.Window().Session().Engine() != nullptr, param.KeepsRunning);
  EXPECT_EQ(server.Window().IsWindowVisible(), param.KeepsRunning);
  EXPECT_FALSE(server.Window().FatalReported());
}

INSTANTIATE_TEST_SUITE_P(
    Answers, CancelPathTest,
    ::testing::Values(CancelCase{"NoEngineEndsWithoutAsking", false, fw::IDNO, false, false},
                      CancelCase{"NoKeepsTheServerRunning", true, fw::IDNO, true, true},
                      CancelCase{"YesStopsTheServer", true, fw::IDYES, true, false}),
    [](const auto& testInfo) { return std::string(testInfo.param.Name); });

struct StartFailureCase {
  const char* Name;
  const char* Fault;
  std::vector<std::string> Arguments;
  int ErrorId;
};

void PrintTo(const StartFailureCase& c, std::ostream* out) {
  *out << c.Name;
}

class StartFailureTest : public ::testing::TestWithParam<StartFailureCase> {};

TEST_P(StartFailureTest, ShowsItsOwnReportThenUnableToStartAndCloses) {
  const StartFailureCase& param = GetParam();
  ScopedEnvironment fault("VEX_SIM_FAULT", param.Fault);
  ServerWindow server(param.Arguments);
  MessageBoxRecorder boxes(fw::IDYES);
  server.Window().Create();
  ASSERT_TRUE(PumpUntil([&] { return boxes.Boxes().size() >= 2; }));
  fw::PumpEvents(50);

  EXPECT_EQ(BoxTexts(boxes), (std::vector<std::string>{Text(param.ErrorId), Text(109)}));
  EXPECT_EQ(boxes.Boxes()[0].style, fw::MessageBoxStyle::OkWarning);
  EXPECT_TRUE(server.Window().FatalReported());
  EXPECT_EQ(server.Window().Session().Engine(), nullptr);
  EXPECT_FALSE(server.Window().IsWindowVisible());
}

INSTANTIATE_TEST_SUITE_P(
    Faults, StartFailureTest,
    ::testing::Values(
        StartFailureCase{"GameCode", "gamecode", {"vexserver", "-config", "test"}, 107},
        StartFailureCase{"Hosting", "host", {"vexserver", "-config", "test"}, 124},
        StartFailureCase{"MissingFile", "", {"vexserver", "-config", "absent"}, 11}),
    [](const auto& testInfo) { return std::string(testInfo.param.Name); });

TEST(StartFailure, NoConfigurationFileOnTheTerminalSaysHowToChooseOne) {
  ServerWindow server({"vexserver", "-port", "0"});
  std::filesystem::remove("VexMod/ServerData/test.txt");
  MessageBoxRecorder boxes(fw::IDYES);
  server.Window().Create();
  ASSERT_TRUE(PumpUntil([&] { return boxes.Boxes().size() >= 2; }));
  EXPECT_EQ(BoxTexts(boxes), (std::vector<std::string>{Text(10), Text(109)}));
  EXPECT_TRUE(server.ConsoleHas("-config NAME"));
}

TEST(ReportError, FromAnotherThreadIsHandedToTheWindowThreadWithoutWaiting) {
  ServerWindow server;
  ASSERT_TRUE(server.Start());
  MessageBoxRecorder boxes(fw::IDYES);
  std::thread engineThread([&] { server.Window().OnOutOfMemory(); });
  engineThread.join();
  EXPECT_TRUE(boxes.Boxes().empty());

  ASSERT_TRUE(PumpUntil([&] { return !server.Window().IsWindowVisible(); }));
  EXPECT_EQ(BoxTexts(boxes), (std::vector<std::string>{Text(106)}));
  EXPECT_TRUE(server.Window().FatalReported());
  EXPECT_EQ(server.Window().Session().Engine(), nullptr);
}

TEST(ReportError, OutOfMemoryInsideALockedCallOfTheWindowThreadWaitsUntilTheCallReturns) {
  ServerWindow server;
  ASSERT_TRUE(server.Start());
  MessageBoxRecorder boxes(fw::IDYES);
  {
    // As inside a kick or a ping query: the engine is still inside its own call, so it must not
    // be released yet, and a frame may be waiting for this lock.
    std::lock_guard lock(server.Window().Session().Lock());
    server.Window().OnOutOfMemory();
    EXPECT_TRUE(boxes.Boxes().empty());
    EXPECT_NE(server.Window().Session().Engine(), nullptr);
  }
  ASSERT_TRUE(PumpUntil([&] { return !server.Window().IsWindowVisible(); }));
  EXPECT_EQ(BoxTexts(boxes), (std::vector<std::string>{Text(106)}));
  EXPECT_EQ(server.Window().Session().Engine(), nullptr);
  EXPECT_FALSE(server.ConsoleHas("abandoned"));
}

TEST(ReportError, OutOfMemoryInsideAFrameStopsTheServerOnceWithoutAbandoningTheThread) {
  ScopedEnvironment fault("VEX_SIM_FAULT", "oom:5");
  ServerWindow server;
  MessageBoxRecorder boxes(fw::IDYES);
  server.Window().Create();
  ASSERT_TRUE(PumpUntil([&] { return server.Window().FatalReported(); }));
  fw::PumpEvents(200);

  EXPECT_EQ(BoxTexts(boxes), (std::vector<std::string>{Text(106)}));
  EXPECT_EQ(server.Window().Session().Engine(), nullptr);
  EXPECT_TRUE(server.ConsoleHas("Server stopped."));
  EXPECT_FALSE(server.ConsoleHas("abandoned"));
}

}  // namespace
}  // namespace vex
