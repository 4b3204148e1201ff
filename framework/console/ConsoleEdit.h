#pragma once

#include <string>

#include "framework/Controls.h"
#include "framework/EditSelection.h"
#include "framework/console/ConsoleWnd.h"

namespace vex::fw {

// The console box kept in memory: lines separated by "\r\n", offsets in characters of that text,
// no wrapping. Text appended at the end also goes to standard output.
class ConsoleEdit final : public ConsoleWnd<CConsoleEdit> {
 public:
  using ConsoleWnd::ConsoleWnd;

  int GetLineCount() const override;
  int LineIndex(int line) const override;
  void SetSel(int start, int end) override;
  void ReplaceSel(std::string_view text) override;
  void ScrollCaret() override {}
  int GetLimitText() const override { return kTextLimit; }
  void SetRedraw(bool) override {}
  void SetWindowText(std::string_view text) override;

  // Beyond any text the console can hold, so a selection there is the end of the text.
  static constexpr int kTextLimit = 0x7FFFFFFE;

 private:
  int Length() const { return static_cast<int>(text_.size()); }
  int LineOfOffset(int offset) const;

  EditSelection selection_;
};

}  // namespace vex::fw
