#pragma once

#include <memory>

#include "framework/Dialog.h"
#include "framework/PictureWindow.h"

namespace vex {

// The picture shown over the status window while it starts. It closes after 750 ms or at the
// first key or mouse press, which it swallows. At most one is open in the process.
class CSplashWnd {
 public:
  static constexpr int kTimerId = 1;
  static constexpr unsigned kShowMilliseconds = 750;

  CSplashWnd() = default;
  ~CSplashWnd();
  CSplashWnd(const CSplashWnd&) = delete;
  CSplashWnd& operator=(const CSplashWnd&) = delete;

  static void AllowSplash(bool allow);
  // Shows the splash centred over the owner (or the screen); nothing when splashes are not
  // allowed, one is already open, or the back-end has none.
  void OpenSplash(fw::CDialog* owner);
  // True when the input closed the open splash and must reach no window.
  static bool SplashFilter(fw::InputEvent event);
  void CloseSplash();
  bool IsOpen() const { return current_ == this; }

 private:
  static bool allowed_;
  static CSplashWnd* current_;
  std::unique_ptr<fw::PictureWindow> window_;
};

}  // namespace vex
