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

 private:
  bool created_ = false;
  std::vector<int> icons_;
};

}  // namespace vex::fw
