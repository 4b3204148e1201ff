#include "framework/PictureWindow.h"

#include "framework/BackEnd.h"

namespace vex::fw {

std::unique_ptr<PictureWindow> PictureWindow::Create(int bitmapId, CDialog* owner) {
  IBackEnd* backEnd = ActiveBackEnd();
  return backEnd == nullptr ? nullptr : backEnd->CreatePictureWindow(bitmapId, owner);
}

}  // namespace vex::fw
