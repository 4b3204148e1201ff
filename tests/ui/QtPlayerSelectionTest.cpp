// The player list's selection as the operator meets it while bots join and leave: real clicks
// and keys on the widgets, the real engine module.
#include <gtest/gtest.h>

#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QTreeWidget>
#include <cstdint>
#include <set>

#include "ServerWindow.h"
#include "framework/qt/QtControls.h"
#include "framework/qt/QtDialogHost.h"
#include "framework/qt/QtListCtrl.h"

namespace vex {
namespace {

using test::MessageBoxRecorder;
using test::PumpUntil;
using test::ScopedEnvironment;
using test::ServerWindow;

constexpr int kLongWait = 20000;

class QtPlayerSelection : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(server.Start());
    QWidget* window = fw::QtDialogHost::WindowOf(&server.Window());
    ASSERT_NE(window, nullptr);
    ASSERT_TRUE(QTest::qWaitForWindowExposed(window));
    players = dynamic_cast<fw::QtListCtrl&>(server.Item(res::IDC_PLAYER_LIST)).GetWidget();
    boot = dynamic_cast<fw::QtButton&>(server.Item(res::IDC_BOOT_PLAYER)).GetWidget();
  }
  void TearDown() override {
    MessageBoxRecorder yes(fw::IDYES);
    server.Window().Control<fw::CButton>(res::IDC_STOP_SERVER).Click();
  }

  std::set<std::intptr_t> ClientIds() {
    std::set<std::intptr_t> ids;
    auto& list = server.List(res::IDC_PLAYER_LIST);
    for (int row = 0; row < list.GetItemCount(); ++row) {
      ids.insert(list.GetItemData(row));
    }
    return ids;
  }
  bool WaitForPlayers(std::size_t count) {
    return PumpUntil([&] { return ClientIds().size() == count && !ClientIds().contains(0); },
                     kLongWait);
  }
  // Clicks a row and returns the client id it shows.
  std::intptr_t ClickRow(int row) {
    const QRect rect = players->visualItemRect(players->topLevelItem(row));
    QTest::mouseClick(players->viewport(), Qt::LeftButton, {}, rect.center());
    return server.List(res::IDC_PLAYER_LIST).GetItemData(row);
  }
  std::intptr_t SelectedClient() {
    auto& list = server.List(res::IDC_PLAYER_LIST);
    const int row = list.GetFirstSelected();
    return row < 0 ? -1 : list.GetItemData(row);
  }

  ScopedEnvironment bots_{"VEX_SIM_BOTS", "4"};
  ServerWindow server;
  QTreeWidget* players = nullptr;
  QPushButton* boot = nullptr;
};

// The next player moves up into the booted player's row.
TEST_F(QtPlayerSelection, BootPlayerAfterTheRosterMovedActsOnNobodyElse) {
  ASSERT_TRUE(WaitForPlayers(4));
  const std::intptr_t chosen = ClickRow(1);
  ASSERT_TRUE(boot->isEnabled());

  QTest::mouseClick(boot, Qt::LeftButton);
  ASSERT_TRUE(server.PumpUntilConsoleHas("was kicked from the server.", kLongWait));
  ASSERT_TRUE(PumpUntil([&] { return ClientIds().size() == 3 && !ClientIds().contains(chosen); },
                        kLongWait));

  EXPECT_EQ(players->selectedItems().size(), 0);
  EXPECT_FALSE(boot->isEnabled());
}

// Newer clients are listed first, so a bot that joins pushes every row down.
TEST_F(QtPlayerSelection, SelectionFollowsThePlayerWhenAnotherJoinsAtTheTop) {
  ASSERT_TRUE(WaitForPlayers(4));
  const std::intptr_t chosen = ClickRow(1);

  auto* command = dynamic_cast<fw::QtLineEdit&>(server.Item(res::IDC_COMMAND)).GetWidget();
  QTest::mouseClick(command, Qt::LeftButton);
  QTest::keyClicks(command, "bots 5");
  QTest::keyClick(command, Qt::Key_Return);
  ASSERT_TRUE(WaitForPlayers(5));

  EXPECT_EQ(SelectedClient(), chosen);
  EXPECT_EQ(server.List(res::IDC_PLAYER_LIST).GetItemData(2), chosen);
  EXPECT_TRUE(boot->isEnabled());
}

}  // namespace
}  // namespace vex
