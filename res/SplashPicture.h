#pragma once

#include <cstdint>
#include <optional>
#include <vector>

namespace vex::res {

// A 24-bit picture: three bytes (red, green, blue) per pixel, rows from the top.
struct Picture {
  int width = 0;
  int height = 0;
  std::vector<std::uint8_t> rgb;
};

// The picture stored under a bitmap id (142, the 640 x 480 splash), or nothing.
std::optional<Picture> LoadPicture(int id);

}  // namespace vex::res
