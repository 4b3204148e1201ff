#include "framework/SplashWindow.h"

#include "framework/BackEnd.h"

namespace vex::fw {

std::unique_ptr<CSplashWindow> CSplashWindow::Create(int bitmapId, CDialog* owner) {
  IBackEnd* backEnd = ActiveBackEnd();
  return backEnd == nullptr ? nullptr : backEnd->CreateSplash(bitmapId, owner);
}

}  // namespace vex::fw
