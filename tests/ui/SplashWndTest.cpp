#include <gtest/gtest.h>

#include <QElapsedTimer>
#include <QTest>
#include <QWidget>

#include "framework/Dialog.h"
#include "framework/qt/QtDialogHost.h"
#include "framework/testing/BackEndForTests.h"
#include "res/Resource.h"
#include "ui/SplashWnd.h"

namespace vex {
namespace {

using test::PumpUntil;

// Offers input to the splash first, as the status window does.
class WindowUnderSplash : public fw::CDialog {
 public:
  WindowUnderSplash() : fw::CDialog(res::IDD_SERVER) {}
  std::vector<int> Commands;

 protected:
  bool PreTranslateInput(fw::InputEvent event) override {
    return CSplashWnd::SplashFilter(event) || fw::CDialog::PreTranslateInput(event);
  }
  void OnCommand(int id) override { Commands.push_back(id); }
};

class SplashOnWindow : public testing::Test {
 protected:
  void SetUp() override {
    ASSERT_EQ(test::RunningFrontEnd(), fw::FrontEnd::Window);
    ASSERT_TRUE(window_.Create());
    qtWindow_ = fw::QtDialogHost::WindowOf(&window_);
    ASSERT_NE(qtWindow_, nullptr);
    ASSERT_TRUE(QTest::qWaitForWindowExposed(qtWindow_));
    CSplashWnd::AllowSplash(true);
  }
  void TearDown() override { CSplashWnd::AllowSplash(false); }

  WindowUnderSplash window_;
  QWidget* qtWindow_ = nullptr;
};

TEST_F(SplashOnWindow, KeyPressClosesTheSplashAndReachesNoWindow) {
  CSplashWnd splash;
  splash.OpenSplash(&window_);
  ASSERT_TRUE(splash.IsOpen());
  window_.Item(res::IDC_COMMAND).SetFocus();
  QTest::keyClick(qtWindow_->windowHandle(), Qt::Key_A);
  EXPECT_FALSE(splash.IsOpen());
  EXPECT_EQ(window_.Item(res::IDC_COMMAND).GetWindowText(), "");
  // With the splash gone, keys reach the window again.
  QTest::keyClick(qtWindow_->windowHandle(), Qt::Key_B);
  EXPECT_EQ(window_.Item(res::IDC_COMMAND).GetWindowText(), "b");
}

TEST_F(SplashOnWindow, EnterUnderTheSplashPressesNoButton) {
  CSplashWnd splash;
  splash.OpenSplash(&window_);
  window_.Item(res::IDC_COMMAND).SetFocus();
  QTest::keyClick(qtWindow_->windowHandle(), Qt::Key_Return);
  EXPECT_FALSE(splash.IsOpen());
  EXPECT_TRUE(window_.Commands.empty());
}

TEST_F(SplashOnWindow, MouseClickClosesTheSplash) {
  CSplashWnd splash;
  splash.OpenSplash(&window_);
  QTest::mouseClick(qtWindow_->windowHandle(), Qt::LeftButton, Qt::NoModifier, QPoint(5, 5));
  EXPECT_FALSE(splash.IsOpen());
}

TEST_F(SplashOnWindow, ClosesByItselfAfter750Milliseconds) {
  QElapsedTimer clock;
  clock.start();
  CSplashWnd splash;
  splash.OpenSplash(&window_);
  ASSERT_TRUE(splash.IsOpen());
  ASSERT_TRUE(PumpUntil([&] { return !splash.IsOpen(); }, 5000));
  EXPECT_GE(clock.elapsed(), 700);
}

TEST_F(SplashOnWindow, OnlyOneSplashAtATimeAndNoneWhenNotAllowed) {
  CSplashWnd first;
  CSplashWnd second;
  first.OpenSplash(&window_);
  second.OpenSplash(&window_);
  EXPECT_TRUE(first.IsOpen());
  EXPECT_FALSE(second.IsOpen());
  first.CloseSplash();
  EXPECT_FALSE(CSplashWnd::SplashFilter(fw::InputEvent::KeyDown));

  CSplashWnd::AllowSplash(false);
  second.OpenSplash(&window_);
  EXPECT_FALSE(second.IsOpen());
  CSplashWnd::AllowSplash(true);
  second.OpenSplash(nullptr);  // centred on the screen instead
  EXPECT_TRUE(second.IsOpen());
}

}  // namespace
}  // namespace vex
