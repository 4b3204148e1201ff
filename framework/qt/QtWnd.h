#pragma once

#include <QWidget>
#include <string>
#include <string_view>

#include "res/DialogTemplates.h"

namespace vex::fw {

class CDialog;

inline QString ToQt(std::string_view text) {
  return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}
inline std::string FromQt(const QString& text) {
  return text.toStdString();
}

// The window state that every Qt control shares; the widget belongs to the dialog's window.
template <class Interface, class Widget>
class QtWnd : public Interface {
 public:
  QtWnd(CDialog& dialog, const res::ControlTemplate& layout, Widget* widget)
      : dialog_(dialog), id_(layout.id), widget_(widget) {
    widget_->setEnabled(!layout.Has(res::kDisabled));
    if (layout.Has(res::kHidden)) {
      widget_->hide();
    }
  }

  int GetDlgCtrlID() const override { return id_; }
  void EnableWindow(bool enable) override { widget_->setEnabled(enable); }
  // The control's own state, not dimmed by a dialog opened over its window.
  bool IsWindowEnabled() const override { return widget_->isEnabledTo(widget_->window()); }
  void ShowWindow(bool show) override { widget_->setVisible(show); }
  // Visible as far as the control itself is concerned, whether or not its window is shown.
  bool IsWindowVisible() const override { return !widget_->isHidden(); }
  void SetFocus() override { widget_->setFocus(Qt::OtherFocusReason); }

  Widget* GetWidget() const { return widget_; }

 protected:
  CDialog& dialog_;
  int id_;
  Widget* widget_;
};

}  // namespace vex::fw
