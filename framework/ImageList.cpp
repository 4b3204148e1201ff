#include "framework/ImageList.h"

#include "res/Icons.h"

namespace vex::fw {

bool CImageList::Create(int width, int height, int initialCount, int growBy) {
  if (width <= 0 || height <= 0 || initialCount < 0 || growBy < 0) {
    return false;
  }
  created_ = true;
  icons_.clear();
  icons_.reserve(static_cast<std::size_t>(initialCount));
  return true;
}

int CImageList::Add(int iconResourceId) {
  if (!created_ || !res::LoadIcon(iconResourceId)) {
    return -1;
  }
  icons_.push_back(iconResourceId);
  return GetImageCount() - 1;
}

}  // namespace vex::fw
