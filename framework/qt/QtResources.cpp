#include "framework/qt/QtResources.h"

#include <QApplication>
#include <QFontMetrics>
#include <QPixmap>
#include <cstring>

#include "res/Icons.h"
#include "res/SplashPicture.h"

namespace vex::fw {

QIcon IconFromResource(int iconResourceId) {
  const auto icon = res::LoadIcon(iconResourceId);
  if (!icon) {
    return {};
  }
  QImage image(icon->width, icon->height, QImage::Format_ARGB32);
  for (int y = 0; y < icon->height; ++y) {
    for (int x = 0; x < icon->width; ++x) {
      image.setPixel(x, y, icon->argb[static_cast<std::size_t>(y * icon->width + x)]);
    }
  }
  return QIcon(QPixmap::fromImage(image));
}

QImage PictureFromResource(int bitmapId) {
  const auto picture = res::LoadPicture(bitmapId);
  if (!picture) {
    return {};
  }
  QImage image(picture->width, picture->height, QImage::Format_RGB888);
  for (int y = 0; y < picture->height; ++y) {
    std::memcpy(image.scanLine(y),
                picture->rgb.data() + static_cast<std::size_t>(y) * picture->width * 3,
                static_cast<std::size_t>(picture->width) * 3);
  }
  return image;
}

QFont DialogFont() {
  QFont font = QApplication::font();
  font.setPointSize(8);
  return font;
}

DialogUnits::DialogUnits(const QFont& font) {
  // The average width of the alphabet in both cases, rounded the way Windows does it.
  const QFontMetrics metrics(font);
  const int alphabet = metrics.horizontalAdvance(
      QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz"));
  baseX_ = (alphabet / 26 + 1) / 2;
  baseY_ = metrics.height();
}

QRect DialogUnits::Rect(const res::DialogRect& rect) const {
  return QRect(X(rect.x), Y(rect.y), X(rect.width), Y(rect.height));
}

}  // namespace vex::fw
