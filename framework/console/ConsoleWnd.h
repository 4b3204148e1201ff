#pragma once

#include <string>
#include <string_view>

#include "res/DialogTemplates.h"

namespace vex::fw {

class CDialog;

// The window state every in-memory control shares: id, text, enabled and visible flags.
template <class Interface>
class ConsoleWnd : public Interface {
 public:
  ConsoleWnd(CDialog& dialog, const res::ControlTemplate& layout)
      : dialog_(dialog),
        id_(layout.id),
        enabled_(!layout.Has(res::kDisabled)),
        visible_(!layout.Has(res::kHidden)),
        text_(layout.text) {}

  int GetDlgCtrlID() const override { return id_; }
  void EnableWindow(bool enable) override { enabled_ = enable; }
  bool IsWindowEnabled() const override { return enabled_; }
  void ShowWindow(bool show) override { visible_ = show; }
  bool IsWindowVisible() const override { return visible_; }
  void SetWindowText(std::string_view text) override { text_ = std::string(text); }
  std::string GetWindowText() const override { return text_; }
  // A terminal has no keyboard focus to move.
  void SetFocus() override {}

 protected:
  CDialog& dialog_;
  int id_;
  bool enabled_;
  bool visible_;
  std::string text_;
};

// Pixels of a dialog-unit width for the console's pretend font (a base unit of 6, that of the
// original dialog font at 96 dots per inch), so that pixel widths stay meaningful.
inline constexpr int kConsoleBaseX = 6;
inline int ConsolePixelsX(int dialogUnits) {
  return dialogUnits * kConsoleBaseX / 4;
}

}  // namespace vex::fw
