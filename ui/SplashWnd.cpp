#include "ui/SplashWnd.h"

#include "framework/Application.h"
#include "res/Resource.h"

namespace vex {

bool CSplashWnd::allowed_ = false;
CSplashWnd* CSplashWnd::current_ = nullptr;

CSplashWnd::~CSplashWnd() {
  if (IsOpen()) {
    window_->Destroy();
    current_ = nullptr;
  }
}

void CSplashWnd::AllowSplash(bool allow) {
  allowed_ = allow;
}

void CSplashWnd::OpenSplash(fw::CDialog* owner) {
  if (!allowed_ || current_ != nullptr) {
    return;
  }
  window_ = fw::PictureWindow::Create(res::IDB_SPLASH, owner);
  if (!window_) {
    return;
  }
  current_ = this;
  window_->SetTimer(kTimerId, kShowMilliseconds, [this] { CloseSplash(); });
  window_->UpdateWindow();
}

bool CSplashWnd::SplashFilter(fw::InputEvent event) {
  if (current_ == nullptr) {
    return false;
  }
  switch (event) {
    case fw::InputEvent::KeyDown:
    case fw::InputEvent::SysKeyDown:
    case fw::InputEvent::MouseDown:
    case fw::InputEvent::NonClientMouseDown:
      current_->CloseSplash();
      return true;
  }
  return false;
}

// The window object stays until the next open or the destructor: this may run inside its own
// timer callback.
void CSplashWnd::CloseSplash() {
  if (!IsOpen()) {
    return;
  }
  window_->Destroy();
  current_ = nullptr;
  if (fw::CWinApp* app = fw::AfxGetApp(); app != nullptr && app->MainWindow() != nullptr) {
    app->MainWindow()->RedrawWindow();
  }
}

}  // namespace vex
