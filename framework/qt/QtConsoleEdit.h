#pragma once

#include <QColor>
#include <QPlainTextEdit>

#include "framework/Controls.h"
#include "framework/EditSelection.h"
#include "framework/qt/QtWnd.h"

namespace vex::fw {

// The console on a read-only QPlainTextEdit that wraps long lines. Its offsets count each line
// break as the two characters "\r\n", as a Windows edit control does, and its lines are the
// displayed ones: a wrapped line counts as several. Only "\r\n" breaks a line; a lone carriage
// return or line feed shows as a mark (␍, ␊). Text appended at the end also goes to standard
// output, so that a server run from a shell keeps a log. Text printed as an operator's own
// command (in the terminal's dimmed style) is shown in kOperatorColour.
class QtConsoleEdit final : public QtWnd<CConsoleEdit, QPlainTextEdit> {
 public:
  QtConsoleEdit(CDialog& dialog, const res::ControlTemplate& layout, QWidget* parent);

  void SetWindowText(std::string_view text) override;
  std::string GetWindowText() const override;
  int GetLineCount() const override;
  int LineIndex(int line) const override;
  void SetSel(int start, int end) override;
  void ReplaceSel(std::string_view text) override;
  void ScrollCaret() override { widget_->ensureCursorVisible(); }
  int GetLimitText() const override { return kTextLimit; }
  void SetRedraw(bool redraw) override { widget_->setUpdatesEnabled(redraw); }

  static constexpr int kTextLimit = 0x7FFFFFFE;
  // The colour of an operator's own commands, which no other line has.
  static constexpr QColor kOperatorColour{0x1d, 0x4e, 0xd8};

 private:
  int Length() const;
  int ToDocument(int offset) const;
  int FromDocument(int position) const;

  EditSelection selection_;
};

}  // namespace vex::fw
