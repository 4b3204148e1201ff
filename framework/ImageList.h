#pragma once

#include <vector>

namespace vex::fw {

// An ordered list of small icons taken from the program's icon resources.
class CImageList {
 public:
  bool Create(int width, int height, int initialCount, int growBy);
  int Add(int iconResourceId);  // index of the new image, -1 for an unknown icon
  int GetImageCount() const { return static_cast<int>(icons_.size()); }
  int IconAt(int index) const { return icons_.at(index); }
  int Width() const { return width_; }
  int Height() const { return height_; }

 private:
  int width_ = 0;
  int height_ = 0;
  std::vector<int> icons_;
};

}  // namespace vex::fw
