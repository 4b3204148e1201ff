#include "framework/qt/QtPictureWindow.h"

#include <QEvent>
#include <QGuiApplication>
#include <QMetaObject>
#include <QPainter>
#include <QScreen>
#include <QTimer>

namespace vex::fw {

SplashWidget::SplashWidget(QImage picture, QWidget* owner)
    : QWidget(owner, Qt::Tool | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint),
      picture_(std::move(picture)) {
  setAttribute(Qt::WA_OpaquePaintEvent);
  setAttribute(Qt::WA_ShowWithoutActivating);
  setCursor(Qt::ArrowCursor);
  setFixedSize(picture_.size());
  if (owner != nullptr) {
    owner->installEventFilter(this);
  }
}

void SplashWidget::CentreOverOwner() {
  QRect area;
  if (const QWidget* owner = parentWidget()) {
    area = owner->frameGeometry();
  } else if (const QScreen* screen = QGuiApplication::primaryScreen()) {
    area = screen->availableGeometry();
  }
  move(area.center() - QPoint(width() / 2, height() / 2));
}

bool SplashWidget::eventFilter(QObject* watched, QEvent* event) {
  if (watched == parentWidget()) {
    if (event->type() == QEvent::Move || event->type() == QEvent::Resize) {
      CentreOverOwner();
    } else if (event->type() == QEvent::Show) {
      CentreOverOwner();
      // The owner's window is mapped after its show event: raise once that has happened.
      QMetaObject::invokeMethod(this, &QWidget::raise, Qt::QueuedConnection);
    }
  }
  return QWidget::eventFilter(watched, event);
}

void SplashWidget::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  painter.drawImage(0, 0, picture_);
}

QtPictureWindow::QtPictureWindow(QImage picture, QWidget* owner)
    : width_(picture.width()), height_(picture.height()) {
  widget_ = new SplashWidget(std::move(picture), owner);
  widget_->CentreOverOwner();
  widget_->show();
  widget_->raise();
}

QtPictureWindow::~QtPictureWindow() {
  Destroy();
}

void QtPictureWindow::SetTimer(int id, unsigned milliseconds, std::function<void()> onTimer) {
  auto& timer = timers_[id];
  timer = std::make_unique<QTimer>();
  QObject::connect(timer.get(), &QTimer::timeout, std::move(onTimer));
  timer->start(static_cast<int>(std::min<unsigned>(milliseconds, 0x7FFFFFFF)));
}

void QtPictureWindow::UpdateWindow() {
  if (widget_) {
    widget_->repaint();
  }
}

void QtPictureWindow::Destroy() {
  for (auto& [id, timer] : timers_) {
    timer->stop();
    // The timer whose handler destroys this window is still being delivered.
    timer.release()->deleteLater();
  }
  timers_.clear();
  if (widget_) {
    widget_->hide();
    widget_->deleteLater();
    widget_.clear();
  }
}

}  // namespace vex::fw
