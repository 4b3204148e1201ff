#pragma once

#include <string_view>

#include "framework/Controls.h"

namespace vex::fw {

// The back-end's window behind one CDialog: it owns the controls of the dialog's template and
// shows them. It lives from CDialog::Create until the dialog's window is destroyed.
class IDialogHost {
 public:
  virtual ~IDialogHost() = default;
  virtual CWnd* Item(int id) const = 0;
  virtual void SetCaption(std::string_view caption) = 0;
  virtual void SetIcon(int iconResourceId) = 0;
  virtual void Show(bool show) = 0;
  virtual bool IsVisible() const = 0;
  virtual void Redraw() = 0;
  // Gives the focus to the first enabled control with a tab stop, as a dialog does when it opens.
  virtual void FocusFirstControl() = 0;
};

}  // namespace vex::fw
