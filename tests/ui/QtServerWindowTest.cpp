#include <gtest/gtest.h>

#include <QLineEdit>
#include <QTest>
#include <QTreeWidget>
#include <array>
#include <filesystem>
#include <string>

#include "ServerWindow.h"
#include "framework/Screenshot.h"
#include "framework/qt/QtControls.h"
#include "framework/qt/QtDialogHost.h"
#include "framework/qt/QtListCtrl.h"

namespace vex {
namespace {

using fw::testing::MessageBoxRecorder;
using fw::testing::PumpUntil;
using testing_support::ScopedEnvironment;
using testing_support::ServerWindow;

class QtServerWindowTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_EQ(fw::testing::RunningFrontEnd(), fw::FrontEnd::Window);
    ASSERT_TRUE(server.Start());
    window = fw::QtDialogHost::WindowOf(&server.Window());
    ASSERT_NE(window, nullptr);
    ASSERT_TRUE(QTest::qWaitForWindowExposed(window));
  }
  void TearDown() override {
    MessageBoxRecorder yes(fw::IDYES);
    server.Window().Control<fw::CButton>(res::IDC_STOP_SERVER).Click();
  }

  QWidget* Widget(int id) {
    if (auto* list = dynamic_cast<fw::QtListCtrl*>(&server.Item(id))) {
      return list->GetWidget();
    }
    return dynamic_cast<fw::QtLineEdit&>(server.Item(id)).GetWidget();
  }

  // Grows or shrinks the window until the player list's outer rectangle has this width.
  bool ResizePlayerListTo(int width) {
    auto& players = server.List(res::IDC_PLAYER_LIST);
    for (int attempt = 0; attempt < 10 && players.GetOuterWidth() != width; ++attempt) {
      window->resize(window->width() + width - players.GetOuterWidth(), window->height());
      fw::PumpEvents(20);
    }
    return players.GetOuterWidth() == width;
  }

  ScopedEnvironment bots_{"VEX_SIM_BOTS", "4"};
  ServerWindow server;
  QWidget* window = nullptr;
};

TEST_F(QtServerWindowTest, StartsWithTheSelectionButtonsDisabledAndTheHiddenButtonsHidden) {
  EXPECT_FALSE(server.Item(res::IDC_BOOT_PLAYER).IsWindowEnabled());
  EXPECT_FALSE(server.Item(res::IDC_SELECT_LEVEL).IsWindowEnabled());
  EXPECT_FALSE(server.Item(res::IDC_SEND).IsWindowVisible());
  EXPECT_FALSE(server.Item(res::IDC_START).IsWindowVisible());
  EXPECT_EQ(server.Item(res::IDC_GAME_TYPE).GetWindowText(), "Deathmatch");
}

TEST_F(QtServerWindowTest, PlayerColumnsKeepTheirSharesOfAResizedList) {
  ASSERT_TRUE(ResizePlayerListTo(600));
  auto& players = server.List(res::IDC_PLAYER_LIST);
  const std::array<int, 6> expected = {202, 63, 63, 75, 69, 104};
  for (int column = 0; column < 6; ++column) {
    EXPECT_EQ(players.GetColumnWidth(column), expected[static_cast<std::size_t>(column)])
        << "column " << column;
  }
}

TEST_F(QtServerWindowTest, SelectingAndClearingAPlayerRowTogglesBootPlayer) {
  auto* tree = static_cast<QTreeWidget*>(Widget(res::IDC_PLAYER_LIST));
  ASSERT_TRUE(PumpUntil([&] { return tree->topLevelItemCount() >= 1; }, 10000));
  auto& boot = server.Item(res::IDC_BOOT_PLAYER);

  const QRect row = tree->visualItemRect(tree->topLevelItem(0));
  QTest::mouseClick(tree->viewport(), Qt::LeftButton, {}, row.center());
  EXPECT_TRUE(PumpUntil([&] { return boot.IsWindowEnabled(); }));

  tree->clearSelection();
  EXPECT_TRUE(PumpUntil([&] { return !boot.IsWindowEnabled(); }));
}

TEST_F(QtServerWindowTest, EnterInTheCommandFieldSendsAndKeepsTheWindowOpen) {
  auto* field = static_cast<QLineEdit*>(Widget(res::IDC_COMMAND));
  field->setFocus();
  QTest::keyClicks(field, "say from the keyboard");
  QTest::keyClick(field, Qt::Key_Return);

  EXPECT_TRUE(server.PumpUntilConsoleHas("<< Server >>  say from the keyboard"));
  EXPECT_TRUE(server.PumpUntilConsoleHas("Server: from the keyboard"));
  EXPECT_EQ(field->text(), "");
  EXPECT_TRUE(window->isVisible());
  EXPECT_TRUE(server.Window().Session().HasThread());
}

TEST_F(QtServerWindowTest, EscapeAsksWhileTheServerRunsAndNoKeepsItRunning) {
  MessageBoxRecorder no(fw::IDNO);
  QTest::keyClick(window, Qt::Key_Escape);
  fw::PumpEvents(50);

  ASSERT_EQ(no.Boxes().size(), 1u);
  EXPECT_EQ(no.Boxes()[0].text, "Are you sure you want to stop the server?");
  EXPECT_EQ(no.Boxes()[0].style, fw::MessageBoxStyle::YesNoQuestion);
  EXPECT_TRUE(window->isVisible());
  EXPECT_TRUE(server.Window().Session().HasThread());
}

TEST_F(QtServerWindowTest, ScreenshotOfTheRunningWindow) {
  auto& players = server.List(res::IDC_PLAYER_LIST);
  ASSERT_TRUE(PumpUntil([&] { return players.GetItemCount() >= 3; }, 10000));
  server.Item(res::IDC_COMMAND).SetWindowText("say Welcome to the test server");
  server.Window().Control<fw::CButton>(res::IDC_SEND).Click();
  ASSERT_TRUE(server.PumpUntilConsoleHas("Server: Welcome"));
  fw::PumpEvents(300);

  const auto folder = std::filesystem::path(VEX_BIN_DIR).parent_path() / "artifacts";
  std::filesystem::create_directories(folder);
  const auto picture = folder / "status-window.png";
  ASSERT_TRUE(fw::SaveWindowImage(server.Window(), picture.string()));
  EXPECT_GT(std::filesystem::file_size(picture), 1000u);
}

}  // namespace
}  // namespace vex
