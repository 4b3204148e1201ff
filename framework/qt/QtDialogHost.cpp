#include "framework/qt/QtDialogHost.h"

#include <QCloseEvent>
#include <QComboBox>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QScreen>
#include <QTimer>
#include <QWindow>
#include <algorithm>

#include "framework/BackEnd.h"
#include "framework/Dialog.h"
#include "framework/MessageBox.h"
#include "framework/qt/QtConsoleEdit.h"
#include "framework/qt/QtControls.h"
#include "framework/qt/QtListCtrl.h"

namespace vex::fw {
namespace {

std::map<const CDialog*, QWidget*>& Windows() {
  static std::map<const CDialog*, QWidget*> windows;
  return windows;
}

template <class Control>
std::unique_ptr<CWnd> Make(CDialog& dialog, const res::ControlTemplate& layout, QWidget* parent,
                           QWidget*& widget) {
  auto control = std::make_unique<Control>(dialog, layout, parent);
  widget = control->GetWidget();
  return control;
}

std::unique_ptr<CWnd> MakeControl(CDialog& dialog, const res::ControlTemplate& layout,
                                  QWidget* parent, QWidget*& widget) {
  switch (layout.kind) {
    case res::ControlKind::GroupBox:
      return Make<QtGroupBox>(dialog, layout, parent, widget);
    case res::ControlKind::Label:
      return Make<QtLabel>(dialog, layout, parent, widget);
    case res::ControlKind::Edit:
      if (layout.Has(res::kMultiLine)) {
        return Make<QtConsoleEdit>(dialog, layout, parent, widget);
      }
      return Make<QtLineEdit>(dialog, layout, parent, widget);
    case res::ControlKind::PushButton:
      return Make<QtButton>(dialog, layout, parent, widget);
    case res::ControlKind::ListView:
      return Make<QtListCtrl>(dialog, layout, parent, widget);
    case res::ControlKind::ComboBox:
      return Make<QtComboBox>(dialog, layout, parent, widget);
  }
  return nullptr;
}

}  // namespace

DialogWindow::DialogWindow(QtDialogHost& host, QWidget* owner)
    : QWidget(owner, Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                         Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint),
      host_(host) {}

void DialogWindow::keyPressEvent(QKeyEvent* event) {
  switch (event->key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
      event->accept();
      host_.PressDefaultButton();
      return;
    case Qt::Key_Escape:
      event->accept();
      host_.Dialog().DispatchCommand(IDCANCEL);
      return;
    default:
      QWidget::keyPressEvent(event);
  }
}

void DialogWindow::closeEvent(QCloseEvent* event) {
  // The window closes when the dialog ends; the close box only asks it to (it may say no).
  event->ignore();
  host_.Dialog().DispatchCommand(IDCANCEL);
}

void DialogWindow::resizeEvent(QResizeEvent* event) {
  QWidget::resizeEvent(event);
  host_.PlaceControls();
  host_.Dialog().DispatchSize(width(), height());
}

QtDialogHost::QtDialogHost(CDialog& dialog, const res::DialogTemplate& layout, QWidget* owner)
    : dialog_(dialog), layout_(layout), units_(DialogFont()), owner_(owner) {
  window_ = new DialogWindow(*this, owner);
  window_->setFont(DialogFont());
  window_->setWindowTitle(ToQt(layout.caption));
  for (const res::ControlTemplate& control : layout.controls) {
    QWidget* widget = nullptr;
    std::unique_ptr<CWnd> made = MakeControl(dialog, control, window_, widget);
    placed_.push_back(Placed{widget, &control});
    if (control.id == res::kStaticId) {
      labels_.push_back(std::move(made));
    } else {
      controls_[control.id] = std::move(made);
    }
  }
  // Group boxes are frames behind the controls they hold, whatever their place in tab order.
  for (const Placed& placed : placed_) {
    if (placed.Layout->kind == res::ControlKind::GroupBox) {
      placed.Widget->lower();
    }
  }
  const QSize base(units_.X(layout.rect.width), units_.Y(layout.rect.height));
  if (layout.seamsX.empty() && layout.seamsY.empty()) {
    window_->setFixedSize(base);
  } else {
    window_->setMinimumSize(base);
    window_->resize(base);
  }
  PlaceControls();
  // A dialog opened while another is open keeps the operator away from the one below until it
  // ends, as a modal dialog does. Qt's modality blocks the input of the windows below without
  // disabling them: a disabled owner would disable its child windows, this one included.
  below_ = owner_ ? owner_.data() : WindowOf(TopOpenDialog());
  if (below_) {
    window_->setWindowModality(Qt::ApplicationModal);
  }
  Windows()[&dialog_] = window_;
}

QtDialogHost::~QtDialogHost() {
  Windows().erase(&dialog_);
  if (window_) {
    // The dialog is going away: no widget may notify it while the window is torn down.
    for (QObject* child : window_->findChildren<QObject*>()) {
      child->blockSignals(true);
    }
    delete window_.data();
  }
}

QWidget* QtDialogHost::WindowOf(const CDialog* dialog) {
  const auto it = Windows().find(dialog);
  return it == Windows().end() ? nullptr : it->second;
}

void QtDialogHost::CentreOver(QWidget& window, const QWidget& over) {
  // move() places the frame.
  const QSize overFrame = over.frameGeometry().size() - over.size();
  const QSize frame =
      window.isVisible() ? window.frameGeometry().size() - window.size() : overFrame;
  const QRect outer(QPoint(0, 0), window.size() + frame);
  window.move(over.frameGeometry().center() - outer.center());
}

bool QtDialogHost::AwaitPlacement(QWidget* window) {
  constexpr int kPlacementWaitMs = 1000;
  constexpr int kPollMs = 20;
  if (window == nullptr || !window->isVisible() || window->windowHandle() == nullptr) {
    return false;
  }
  QElapsedTimer waited;
  waited.start();
  while (!window->windowHandle()->isExposed() && waited.elapsed() < kPlacementWaitMs) {
    QEventLoop loop;
    QTimer::singleShot(kPollMs, &loop, &QEventLoop::quit);
    loop.exec();
  }
  return window->isVisible() && window->windowHandle()->isExposed();
}

void QtDialogHost::CentreOnScreen(QWidget& window) {
  const QScreen* screen =
      window.screen() != nullptr ? window.screen() : QGuiApplication::primaryScreen();
  if (screen == nullptr) {
    return;
  }
  const QSize frame = window.isVisible() ? window.frameGeometry().size() : window.size();
  const QRect outer(QPoint(0, 0), frame);
  window.move(screen->geometry().center() - outer.center());
}

void QtDialogHost::CentreWhenShown(QWidget& window, QWidget* over) {
  class OnShow final : public QObject {
   public:
    OnShow(QWidget& window, QWidget* over) : QObject(&window), over_(over) {
      window.installEventFilter(this);
    }
    bool eventFilter(QObject* watched, QEvent* event) override {
      if (event->type() != QEvent::Show || !over_) {
        return false;
      }
      // The window sizes itself as it handles its show event (a message box does): let it, then
      // place it, before it appears.
      watched->removeEventFilter(this);
      watched->event(event);
      watched->installEventFilter(this);
      CentreOver(*static_cast<QWidget*>(watched), *over_);
      return true;
    }

   private:
    QPointer<QWidget> over_;
  };
  new OnShow(window, over);
}

int QtDialogHost::Moved(int units, int base, int actual,
                        std::span<const res::StretchSeam> seams) const {
  const int extra = std::max(0, actual - base);
  int moved = 0;
  int given = 0;
  for (std::size_t i = 0; i < seams.size(); ++i) {
    // The last seam takes what rounding left over, so the extra room is given out exactly.
    const int share = i + 1 == seams.size() ? extra - given : extra * seams[i].percent / 100;
    given += share;
    if (seams[i].at < units) {
      moved += share;
    }
  }
  return moved;
}

void QtDialogHost::PlaceControls() {
  if (!window_) {
    return;
  }
  const int baseWidth = units_.X(layout_.rect.width);
  const int baseHeight = units_.Y(layout_.rect.height);
  const int width = window_->width();
  const int height = window_->height();
  for (const Placed& placed : placed_) {
    // Position and size convert on their own, as Windows converts a template's rectangle.
    const res::DialogRect& r = placed.Layout->rect;
    const int left = Moved(r.x, baseWidth, width, layout_.seamsX);
    const int right = Moved(r.x + r.width, baseWidth, width, layout_.seamsX);
    const int top = Moved(r.y, baseHeight, height, layout_.seamsY);
    const int bottom = Moved(r.y + r.height, baseHeight, height, layout_.seamsY);
    int tall = units_.Y(r.height) + bottom - top;
    if (auto* list = qobject_cast<QComboBox*>(placed.Widget)) {
      // A drop-down list keeps its one-line height; the layout's height is the opened list's.
      const int closed = list->sizeHint().height();
      list->setMaxVisibleItems(std::max(1, (tall - closed) / list->fontMetrics().height()));
      tall = closed;
    }
    placed.Widget->setGeometry(units_.X(r.x) + left, units_.Y(r.y) + top,
                               units_.X(r.width) + right - left, tall);
  }
}

CWnd* QtDialogHost::Item(int id) const {
  const auto it = controls_.find(id);
  return it == controls_.end() ? nullptr : it->second.get();
}

void QtDialogHost::SetCaption(std::string_view caption) {
  window_->setWindowTitle(ToQt(caption));
}

void QtDialogHost::SetIcon(int iconResourceId) {
  window_->setWindowIcon(IconFromResource(iconResourceId));
}

void QtDialogHost::Show(bool show) {
  if (!show) {
    window_->hide();
    return;
  }
  // Over the window it opened on, where the operator's eyes are, parent or not, once that window
  // has its place; without one, in the middle of the screen.
  if (below_ && !window_->isVisible()) {
    if (AwaitPlacement(below_) && below_) {
      CentreOver(*window_, *below_);
    } else {
      CentreOnScreen(*window_);
    }
  }
  window_->show();
  window_->raise();
  window_->activateWindow();
}

bool QtDialogHost::IsVisible() const {
  return window_ && window_->isVisible();
}

void QtDialogHost::Redraw() {
  window_->repaint();
}

void QtDialogHost::FocusFirstControl() {
  const auto firstWith = [this](res::ControlStyle style) {
    return std::find_if(placed_.begin(), placed_.end(), [style](const Placed& placed) {
      return placed.Layout->Has(style) && placed.Widget->isEnabled() && !placed.Widget->isHidden();
    });
  };
  auto chosen = firstWith(res::kInitialFocus);
  if (chosen == placed_.end()) {
    chosen = firstWith(res::kTabStop);
  }
  if (chosen != placed_.end()) {
    chosen->Widget->setFocus(Qt::TabFocusReason);
  }
}

void QtDialogHost::PressDefaultButton() {
  for (const Placed& placed : placed_) {
    if (placed.Layout->Has(res::kDefaultButton)) {
      if (auto* button = dynamic_cast<CButton*>(Item(placed.Layout->id))) {
        button->Click();
      }
      return;
    }
  }
}

}  // namespace vex::fw
