#pragma once

#include <QImage>
#include <QPointer>
#include <QWidget>
#include <map>
#include <memory>

#include "framework/PictureWindow.h"

class QTimer;

namespace vex::fw {

// A borderless popup that shows a picture pixel for pixel, centred over its owner.
class SplashWidget final : public QWidget {
 public:
  SplashWidget(QImage picture, QWidget* owner);

  void CentreOverOwner();

 protected:
  void paintEvent(QPaintEvent* event) override;
  // The owner is shown and placed after the splash opens: follow it and stay above it, also
  // where no window manager keeps a stays-on-top window on top.
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  QImage picture_;
};

class QtPictureWindow final : public PictureWindow {
 public:
  QtPictureWindow(QImage picture, QWidget* owner);
  ~QtPictureWindow() override;

  void SetTimer(int id, unsigned milliseconds, std::function<void()> onTimer) override;
  void UpdateWindow() override;
  void Destroy() override;
  bool IsOpen() const override { return !widget_.isNull(); }
  int Width() const override { return width_; }
  int Height() const override { return height_; }

 private:
  int width_;
  int height_;
  QPointer<SplashWidget> widget_;
  std::map<int, std::unique_ptr<QTimer>> timers_;
};

}  // namespace vex::fw
