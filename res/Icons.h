#pragma once

#include <cstdint>
#include <optional>
#include <vector>

namespace vex::res {

// A small picture with alpha, one 0xAARRGGBB value per pixel, rows from the top.
struct IconImage {
  int width = 0;
  int height = 0;
  std::vector<std::uint32_t> argb;
};

// The icon stored under an id: 128 is the 32 x 32 window icon, 133 to 141 the 16 x 16 dots.
std::optional<IconImage> LoadIcon(int id);

}  // namespace vex::res
