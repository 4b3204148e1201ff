#include <gtest/gtest.h>

#include "framework/Dialog.h"
#include "res/Resource.h"
#include "ui/SplashWnd.h"

namespace vex {
namespace {

TEST(SplashOnConsole, ShowsNothingAndSwallowsNoInput) {
  fw::CDialog window(res::IDD_SERVER);
  ASSERT_TRUE(window.Create());
  CSplashWnd::AllowSplash(true);
  CSplashWnd splash;
  splash.OpenSplash(&window);
  EXPECT_FALSE(splash.IsOpen());
  EXPECT_FALSE(CSplashWnd::SplashFilter(fw::InputEvent::KeyDown));
  CSplashWnd::AllowSplash(false);
}

}  // namespace
}  // namespace vex
