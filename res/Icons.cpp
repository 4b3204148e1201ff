#include "res/Icons.h"

#include <algorithm>
#include <cmath>

#include "res/Resource.h"

namespace vex::res {
namespace {

struct Colour {
  int r;
  int g;
  int b;
};

constexpr Colour kBlack{0, 0, 0};
constexpr Colour kRed{220, 30, 30};
constexpr Colour kBlue{40, 70, 230};
constexpr Colour kGreen{30, 170, 50};
constexpr Colour kCyan{20, 200, 210};
constexpr Colour kNavy{20, 30, 70};
constexpr Colour kWhite{240, 240, 240};

struct DotIcon {
  int id;
  Colour colour;
  bool ringed;
};

constexpr DotIcon kDots[] = {
    {IDI_BLACK_DOT, kBlack, false},   {IDI_BLUE_DOT, kBlue, false},
    {IDI_RED_DOT, kRed, false},       {IDI_GREEN_DOT, kGreen, false},
    {IDI_CYAN_DOT, kCyan, false},     {IDI_RED_RINGED, kRed, true},
    {IDI_CYAN_RINGED, kCyan, true},   {IDI_BLUE_RINGED, kBlue, true},
    {IDI_GREEN_RINGED, kGreen, true},
};

// Share of a pixel covered by the ring between two radii around the icon's centre, sampled on a
// 4 x 4 grid so that the edges are smooth.
double Coverage(int x, int y, double centre, double inner, double outer) {
  int hits = 0;
  for (int sy = 0; sy < 4; ++sy) {
    for (int sx = 0; sx < 4; ++sx) {
      const double dx = x + (sx + 0.5) / 4.0 - centre;
      const double dy = y + (sy + 0.5) / 4.0 - centre;
      const double distance = std::sqrt(dx * dx + dy * dy);
      if (distance >= inner && distance < outer) {
        ++hits;
      }
    }
  }
  return hits / 16.0;
}

std::uint32_t Pack(Colour c, double alpha) {
  const auto a = static_cast<std::uint32_t>(std::lround(std::clamp(alpha, 0.0, 1.0) * 255));
  return (a << 24) | (static_cast<std::uint32_t>(c.r) << 16) |
         (static_cast<std::uint32_t>(c.g) << 8) | static_cast<std::uint32_t>(c.b);
}

Colour Mix(Colour a, Colour b, double t) {
  auto mix = [t](int x, int y) { return static_cast<int>(std::lround(x + (y - x) * t)); };
  return {mix(a.r, b.r), mix(a.g, b.g), mix(a.b, b.b)};
}

// Paints a disc (and ring) over whatever the image holds; later layers cover earlier ones.
void Layer(IconImage& image, double inner, double outer, Colour colour, bool shaded) {
  const double centre = image.width / 2.0;
  for (int y = 0; y < image.height; ++y) {
    for (int x = 0; x < image.width; ++x) {
      const double cover = Coverage(x, y, centre, inner, outer);
      if (cover <= 0.0) {
        continue;
      }
      Colour c = colour;
      if (shaded) {
        // A highlight towards the upper left gives the dot some depth.
        const double dx = x + 0.5 - centre * 0.8;
        const double dy = y + 0.5 - centre * 0.8;
        const double light = std::max(0.0, 1.0 - std::sqrt(dx * dx + dy * dy) / outer);
        c = Mix(colour, kWhite, light * 0.45);
      }
      std::uint32_t& pixel = image.argb[static_cast<std::size_t>(y * image.width + x)];
      const double below = (pixel >> 24) / 255.0;
      pixel = Pack(c, cover + below * (1.0 - cover));
    }
  }
}

IconImage Blank(int size) {
  return IconImage{size, size, std::vector<std::uint32_t>(static_cast<std::size_t>(size * size))};
}

IconImage DrawDot(const DotIcon& dot) {
  IconImage image = Blank(16);
  if (dot.ringed) {
    Layer(image, 5.0, 7.5, kBlack, false);
    Layer(image, 0.0, 4.5, dot.colour, true);
  } else {
    Layer(image, 0.0, 5.5, dot.colour, dot.colour.r + dot.colour.g + dot.colour.b > 0);
  }
  return image;
}

// The window icon: a navy disc with a white ring around a red centre, a target on the map.
IconImage DrawMainIcon() {
  IconImage image = Blank(32);
  Layer(image, 0.0, 15.5, kNavy, false);
  Layer(image, 9.0, 12.0, kWhite, false);
  Layer(image, 0.0, 6.0, kRed, true);
  return image;
}

}  // namespace

std::optional<IconImage> LoadIcon(int id) {
  if (id == IDI_MAIN) {
    return DrawMainIcon();
  }
  for (const DotIcon& dot : kDots) {
    if (dot.id == id) {
      return DrawDot(dot);
    }
  }
  return std::nullopt;
}

}  // namespace vex::res
