#include "res/SplashPicture.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <string_view>
#include <utility>

#include "res/Resource.h"

namespace vex::res {
namespace {

constexpr int kWidth = 640;
constexpr int kHeight = 480;

// 5 x 7 block glyphs for the letters of the name; '#' is ink.
struct Glyph {
  char letter;
  std::array<std::string_view, 7> rows;
};

constexpr Glyph kGlyphs[] = {
    {'V', {"#...#", "#...#", "#...#", "#...#", "#...#", ".#.#.", "..#.."}},
    {'S', {".####", "#....", "#....", ".###.", "....#", "....#", "####."}},
    {'e', {".....", ".....", ".###.", "#...#", "#####", "#....", ".####"}},
    {'x', {".....", ".....", "#...#", ".#.#.", "..#..", ".#.#.", "#...#"}},
    {'r', {".....", ".....", "#.##.", "##..#", "#....", "#....", "#...."}},
    {'v', {".....", ".....", "#...#", "#...#", "#...#", ".#.#.", "..#.."}},
};

const Glyph* FindGlyph(char letter) {
  for (const Glyph& glyph : kGlyphs) {
    if (glyph.letter == letter) {
      return &glyph;
    }
  }
  return nullptr;
}

struct Canvas {
  Picture picture;

  void Put(int x, int y, int r, int g, int b) {
    if (x < 0 || y < 0 || x >= picture.width || y >= picture.height) {
      return;
    }
    const auto at = static_cast<std::size_t>((y * picture.width + x) * 3);
    picture.rgb[at] = static_cast<std::uint8_t>(std::clamp(r, 0, 255));
    picture.rgb[at + 1] = static_cast<std::uint8_t>(std::clamp(g, 0, 255));
    picture.rgb[at + 2] = static_cast<std::uint8_t>(std::clamp(b, 0, 255));
  }
};

void DrawBackground(Canvas& canvas) {
  for (int y = 0; y < kHeight; ++y) {
    const double t = static_cast<double>(y) / (kHeight - 1);
    for (int x = 0; x < kWidth; ++x) {
      // A night sky that brightens towards a horizon glow two thirds of the way down.
      const double glow = std::exp(-std::pow((t - 0.66) * 9.0, 2.0));
      const double side = 1.0 - std::abs(x - kWidth / 2.0) / kWidth;
      canvas.Put(x, y, static_cast<int>(8 + 70 * glow * side), static_cast<int>(12 + 40 * glow),
                 static_cast<int>(40 + 60 * (1.0 - t) + 50 * glow));
    }
  }
}

void DrawStars(Canvas& canvas) {
  unsigned seed = 142u;
  for (int i = 0; i < 160; ++i) {
    seed = seed * 1103515245u + 12345u;
    const int x = static_cast<int>((seed >> 8) % kWidth);
    seed = seed * 1103515245u + 12345u;
    const int y = static_cast<int>((seed >> 8) % (kHeight / 2));
    const int level = 150 + static_cast<int>((seed >> 4) % 100);
    canvas.Put(x, y, level, level, level);
  }
}

void DrawName(Canvas& canvas, std::string_view name, int top, int scale) {
  const int advance = 6 * scale;
  const int left = (kWidth - static_cast<int>(name.size()) * advance + scale) / 2;
  for (std::size_t i = 0; i < name.size(); ++i) {
    const Glyph* glyph = FindGlyph(name[i]);
    if (glyph == nullptr) {
      continue;
    }
    const int originX = left + static_cast<int>(i) * advance;
    for (int row = 0; row < 7; ++row) {
      for (int column = 0; column < 5; ++column) {
        if (glyph->rows[static_cast<std::size_t>(row)][static_cast<std::size_t>(column)] != '#') {
          continue;
        }
        for (int dy = 0; dy < scale; ++dy) {
          for (int dx = 0; dx < scale; ++dx) {
            const int shade = 255 - dy * 90 / scale;
            canvas.Put(originX + column * scale + dx, top + row * scale + dy, shade, shade,
                       std::min(255, shade + 20));
          }
        }
      }
    }
  }
  const int lineTop = top + 7 * scale + scale;
  for (int x = left; x < kWidth - left; ++x) {
    for (int y = lineTop; y < lineTop + 3; ++y) {
      canvas.Put(x, y, 220, 40, 40);
    }
  }
}

}  // namespace

std::optional<Picture> LoadPicture(int id) {
  if (id != IDB_SPLASH) {
    return std::nullopt;
  }
  Canvas canvas{Picture{kWidth, kHeight, std::vector<std::uint8_t>(kWidth * kHeight * 3)}};
  DrawBackground(canvas);
  DrawStars(canvas);
  DrawName(canvas, "VexServer", 170, 10);
  return std::move(canvas.picture);
}

}  // namespace vex::res
