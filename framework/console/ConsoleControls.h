#pragma once

#include <string>
#include <vector>

#include "framework/Controls.h"
#include "framework/console/ConsoleWnd.h"

namespace vex::fw {

class ConsoleStatic final : public ConsoleWnd<CStatic> {
 public:
  using ConsoleWnd::ConsoleWnd;
};

class ConsoleLineEdit final : public ConsoleWnd<CEdit> {
 public:
  using ConsoleWnd::ConsoleWnd;
};

class ConsoleButton final : public ConsoleWnd<CButton> {
 public:
  using ConsoleWnd::ConsoleWnd;
  // A disabled button ignores clicks; a hidden one still works, as the Enter key's does.
  void Click() override;
};

class ConsoleComboBox final : public ConsoleWnd<CComboBox> {
 public:
  ConsoleComboBox(CDialog& dialog, const res::ControlTemplate& layout);
  int AddString(std::string_view text) override;
  int GetCount() const override { return static_cast<int>(entries_.size()); }
  std::string GetLBText(int index) const override;
  void SetCurSel(int index) override;
  int GetCurSel() const override { return selected_; }
  // A drop-down list's text is its selected entry.
  void SetWindowText(std::string_view text) override;
  std::string GetWindowText() const override;

 private:
  bool sorted_;
  std::vector<std::string> entries_;
  int selected_ = -1;
};

}  // namespace vex::fw
