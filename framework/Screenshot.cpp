#include "framework/Screenshot.h"

#include "framework/BackEnd.h"

namespace vex::fw {

bool SaveWindowImage(const CDialog& dialog, const std::string& pngPath) {
  IBackEnd* backEnd = ActiveBackEnd();
  return backEnd != nullptr && backEnd->SaveWindowImage(dialog, pngPath);
}

}  // namespace vex::fw
