#include <gtest/gtest.h>

#include <QApplication>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTest>
#include <QTreeWidget>
#include <algorithm>
#include <array>
#include <filesystem>
#include <string>

#include "ServerWindow.h"
#include "framework/Screenshot.h"
#include "framework/qt/QtControls.h"
#include "framework/qt/QtDialogHost.h"
#include "framework/qt/QtListCtrl.h"
#include "framework/qt/QtPictureWindow.h"

namespace vex {
namespace {

using test::MessageBoxRecorder;
using test::PumpUntil;
using test::ScopedEnvironment;
using test::ServerWindow;

constexpr int kCurrentLevelImage = 1;  // the black dot

class QtServerWindowTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_EQ(test::RunningFrontEnd(), fw::FrontEnd::Window);
    ASSERT_TRUE(server.Start());
    window = fw::QtDialogHost::WindowOf(&server.Window());
    ASSERT_NE(window, nullptr);
    ASSERT_TRUE(QTest::qWaitForWindowExposed(window));
    // The operator's first press would only close the splash picture: wait until it has gone.
    ASSERT_TRUE(PumpUntil([] {
      const auto windows = QApplication::topLevelWidgets();
      return std::none_of(windows.begin(), windows.end(), [](QWidget* w) {
        return dynamic_cast<fw::SplashWidget*>(w) != nullptr && w->isVisible();
      });
    }));
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

  // A click where the operator's pointer would land on a control: through the window, as the
  // display sends it.
  void ClickOn(int id) {
    QWidget* control = dynamic_cast<fw::QtButton&>(server.Item(id)).GetWidget();
    QTest::mouseClick(window->windowHandle(), Qt::LeftButton, Qt::NoModifier,
                      control->mapTo(window, control->rect().center()));
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
  // The operator starts typing at once; the read-only boxes that come first in the tab order
  // are passed over.
  EXPECT_EQ(window->focusWidget(), Widget(res::IDC_COMMAND));
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

// The right end of the darkest drawing in a level row (its text), in viewport pixels.
int TextRightEnd(QTreeWidget* tree, int row) {
  const QRect band = tree->visualItemRect(tree->topLevelItem(row));
  const QImage picture = tree->viewport()->grab(band).toImage();
  int right = -1;
  for (int y = 0; y < picture.height(); ++y) {
    for (int x = 0; x < picture.width(); ++x) {
      if (qGray(picture.pixel(x, y)) < 128) {
        right = std::max(right, x);
      }
    }
  }
  return right;
}

TEST_F(QtServerWindowTest, AClickOnALevelAfterTheMarkMovedPicksTheLevelUnderThePointer) {
  auto* tree = static_cast<QTreeWidget*>(Widget(res::IDC_LEVEL_LIST));
  auto& levels = server.List(res::IDC_LEVEL_LIST);
  ASSERT_TRUE(PumpUntil([&] { return levels.GetStateImage(0) == kCurrentLevelImage; }));
  ASSERT_EQ(levels.GetItemCount(), 3);
  std::array<QRect, 3> rows;
  for (int row = 0; row < 3; ++row) {
    rows[static_cast<std::size_t>(row)] = tree->visualItemRect(tree->topLevelItem(row));
  }
  const int arenaEnd = TextRightEnd(tree, 0);

  ClickOn(res::IDC_NEXT_LEVEL);
  ASSERT_TRUE(PumpUntil([&] { return levels.GetStateImage(1) == kCurrentLevelImage; }, 10000));
  ASSERT_EQ(levels.GetStateImage(0), 0);
  for (int row = 0; row < 3; ++row) {
    EXPECT_EQ(tree->visualItemRect(tree->topLevelItem(row)), rows[static_cast<std::size_t>(row)])
        << "row " << row;
  }
  EXPECT_EQ(TextRightEnd(tree, 0), arenaEnd) << "the unmarked level's name moved sideways";

  // The operator clicks Foundry where it was drawn, then double-clicks it to play it.
  const QPoint foundry = rows[2].center();
  QTest::mouseClick(tree->viewport(), Qt::LeftButton, Qt::NoModifier, foundry);
  EXPECT_EQ(levels.GetFirstSelected(), 2);
  EXPECT_TRUE(server.Item(res::IDC_SELECT_LEVEL).IsWindowEnabled());
  QTest::mouseDClick(tree->viewport(), Qt::LeftButton, Qt::NoModifier, foundry);
  EXPECT_TRUE(PumpUntil([&] { return levels.GetStateImage(2) == kCurrentLevelImage; }, 10000));
}

TEST_F(QtServerWindowTest, TheConsoleBreaksOnlyGameLinesAndCutsCommandsBetweenCharacters) {
  auto* console = window->findChild<QPlainTextEdit*>();
  const auto shows = [&](const QString& text) {
    return PumpUntil([&] { return console->toPlainText().contains(text); });
  };
  // The engine's console text: a lone line feed is no break, a final "\r\n" leaves no mark.
  server.Window().OnConsoleOutput("first\nsecond");
  server.Window().OnConsoleOutput("ends in crlf\r\n");
  EXPECT_TRUE(shows(QStringLiteral("first\u240Asecond\n")));
  EXPECT_TRUE(shows(QStringLiteral("\nends in crlf")));
  EXPECT_FALSE(console->toPlainText().contains(QChar(0x240D)));

  // "say " and 114 letters are 118 bytes: the 119-byte cut would split the "é" that follows.
  const QString letters(114, QChar('a'));
  auto* field = static_cast<QLineEdit*>(Widget(res::IDC_COMMAND));
  field->setFocus();
  for (const QChar c : "say " + letters + QStringLiteral("\u00E9t\u00E9")) {
    // Typed as the keyboard sends it: the key and the character it writes.
    QTest::sendKeyEvent(QTest::Click, field, static_cast<Qt::Key>(c.toUpper().unicode()), c,
                        Qt::NoModifier);
  }
  QTest::keyClick(window->windowHandle(), Qt::Key_Return);
  EXPECT_TRUE(shows("<< Server >>  say " + letters + "\n"));
  EXPECT_TRUE(shows("Server: " + letters + "\n"));
  EXPECT_FALSE(console->toPlainText().contains(QChar(QChar::ReplacementCharacter)));
}

TEST_F(QtServerWindowTest, StopServerAsksAndOnlyYesStopsTheServerAndClosesTheWindow) {
  MessageBoxRecorder answers(fw::IDNO);
  ClickOn(res::IDC_STOP_SERVER);
  ASSERT_EQ(answers.Boxes().size(), 1u);
  EXPECT_EQ(answers.Boxes()[0].text, "Are you sure you want to stop the server?");
  EXPECT_EQ(answers.Boxes()[0].style, fw::MessageBoxStyle::YesNoQuestion);
  fw::PumpEvents(50);
  EXPECT_TRUE(window->isVisible());
  EXPECT_TRUE(server.Window().Session().HasThread());

  answers.SetAnswer(fw::IDYES);
  ClickOn(res::IDC_STOP_SERVER);
  ASSERT_EQ(answers.Boxes().size(), 2u);
  EXPECT_TRUE(PumpUntil([&] { return !window->isVisible(); }));
  EXPECT_FALSE(server.Window().Session().HasThread());
  EXPECT_EQ(server.Window().Session().Engine(), nullptr);
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

  // The same window grown by the operator: the lists and the console take the room.
  window->resize(window->size() + QSize(240, 120));
  fw::PumpEvents(100);
  const auto grown = folder / "status-window-grown.png";
  ASSERT_TRUE(fw::SaveWindowImage(server.Window(), grown.string()));
  EXPECT_GT(std::filesystem::file_size(grown), 1000u);
}

}  // namespace
}  // namespace vex
