#include "framework/console/ConsoleEdit.h"

#include "framework/Application.h"
#include "framework/VisibleText.h"

namespace vex::fw {
namespace {

constexpr std::string_view kBreak = "\r\n";

}  // namespace

int ConsoleEdit::GetLineCount() const {
  // The empty line after a final break counts, as it does in the system's edit control.
  int lines = 1;
  for (std::size_t at = text_.find(kBreak); at != std::string::npos;
       at = text_.find(kBreak, at + kBreak.size())) {
    ++lines;
  }
  return lines;
}

int ConsoleEdit::LineOfOffset(int offset) const {
  int line = 0;
  for (std::size_t at = text_.find(kBreak);
       at != std::string::npos && static_cast<int>(at) < offset;
       at = text_.find(kBreak, at + kBreak.size())) {
    if (static_cast<int>(at + kBreak.size()) <= offset) {
      ++line;
    }
  }
  return line;
}

int ConsoleEdit::LineIndex(int line) const {
  if (line == -1) {
    line = LineOfOffset(selection_.End);
  }
  if (line < 0) {
    return -1;
  }
  std::size_t start = 0;
  for (int i = 0; i < line; ++i) {
    const std::size_t at = text_.find(kBreak, start);
    if (at == std::string::npos) {
      return -1;
    }
    start = at + kBreak.size();
  }
  return static_cast<int>(start);
}

void ConsoleEdit::SetSel(int start, int end) {
  selection_.Set(start, end, Length());
}

void ConsoleEdit::ReplaceSel(std::string_view text) {
  const bool atEnd = selection_.Start == Length();
  text_.replace(static_cast<std::size_t>(selection_.Start),
                static_cast<std::size_t>(selection_.End - selection_.Start), text);
  selection_.CollapseTo(selection_.Start + static_cast<int>(text.size()));
  if (atEnd && !text.empty()) {
    TerminalWrite(ConsoleTextForTerminal(text));
  }
}

void ConsoleEdit::SetWindowText(std::string_view text) {
  text_ = std::string(text);
  selection_.CollapseTo(0);
}

}  // namespace vex::fw
