#pragma once

#include <QFont>
#include <QIcon>
#include <QImage>
#include <QRect>

#include "res/DialogTemplates.h"

namespace vex::fw {

// The program's icons and pictures as Qt images; null ones when the id is unknown.
QIcon IconFromResource(int iconResourceId);
QImage PictureFromResource(int bitmapId);

// The stand-in for the dialogs' "MS Sans Serif" 8 pt: the application font at 8 points.
QFont DialogFont();

// Converts dialog units to pixels with a font's base units, as Windows dialogs do:
// x * baseX / 4 and y * baseY / 8, rounded.
class DialogUnits {
 public:
  explicit DialogUnits(const QFont& font);
  DialogUnits(int baseX, int baseY) : baseX_(baseX), baseY_(baseY) {}
  int X(int units) const { return (units * baseX_ + 2) / 4; }
  int Y(int units) const { return (units * baseY_ + 4) / 8; }
  QRect Rect(const res::DialogRect& rect) const;
  int BaseX() const { return baseX_; }
  int BaseY() const { return baseY_; }

 private:
  int baseX_;
  int baseY_;
};

}  // namespace vex::fw
