#include <optional>
#include <string>

#include "framework/Controls.h"
#include "framework/StringTable.h"
#include "framework/TerminalStyle.h"
#include "framework/VisibleText.h"
#include "platform/TextCut.h"
#include "res/Resource.h"
#include "ui/ServerDlg.h"

namespace vex {

namespace {

constexpr int kConsoleLineLimit = 250;
constexpr std::size_t kLongestConsoleLine = 499;

}  // namespace

void CServerDlg::PrintConsoleLine(std::string_view text, platform::Severity severity) {
  std::optional<fw::TerminalStyleScope> marked;
  if (severity != platform::Severity::Info) {
    marked.emplace(severity == platform::Severity::Error ? fw::TerminalStyle::Error
                                                         : fw::TerminalStyle::Warning);
  }
  PrintLine(text, false);
}

void CServerDlg::PrintOperatorLine(std::string_view text) {
  const fw::TerminalStyleScope dimmed(fw::TerminalStyle::Dim);
  PrintLine(text, true);
}

void CServerDlg::PrintLine(std::string_view text, bool operatorLine) {
  auto& console = Control<fw::CConsoleEdit>(res::IDC_CONSOLE);
  const int lineCount = console.GetLineCount();
  if (lineCount > kConsoleLineLimit) {
    // Dropping three quarters at once keeps the costly removal to once every ~190 lines.
    const int cut = lineCount * 75 / 100;
    console.SetRedraw(false);
    console.SetSel(0, console.LineIndex(cut));
    console.ScrollCaret();
    console.ReplaceSel("");
    console.SetRedraw(true);
  }

  // Never half a character: a split one would show as a replacement mark.
  std::string line(platform::CutAtCharacter(text, kLongestConsoleLine));
  if (line.empty()) {
    return;
  }
  if (static_cast<unsigned char>(line.back()) < 32) {
    line.pop_back();
  }
  remote_.ConsoleLine(line, operatorLine);
  line += "\r\n";
  if (consoleLog_ != nullptr) {
    consoleLog_->Append(fw::ConsoleTextForTerminal(line));
  }
  LearnEngineCommands(line);

  const int end = console.GetLimitText();
  console.SetSel(end, end);
  console.ScrollCaret();
  console.ReplaceSel(line);
}

void CServerDlg::PrintConsoleLineById(int stringId) {
  if (stringId == res::IDS_INITIALIZED || stringId == res::IDS_STOPPED) {
    stoppedLineOwed_ = stringId == res::IDS_INITIALIZED;
  }
  if (auto text = fw::LoadString(stringId)) {
    PrintConsoleLine(*text);
  }
  if (stringId == res::IDS_RUNNING) {
    service_.Running();
  }
}

void CServerDlg::PrintConsoleText(std::string_view text) {
  PrintConsoleLine(text);
}

void CServerDlg::PrintConsoleDiagnostic(platform::Severity severity, std::string_view text) {
  PrintConsoleLine(text, severity);
}

void CServerDlg::OnConsoleOutput(const char* text) {
  if (text != nullptr) {
    session_.PendingConsoleLines().Push(text);
  }
}

void CServerDlg::OnConsoleCommandMark(bool start) {
  session_.PendingConsoleLines().PushMark(start ? QueuedLineKind::CommandStart
                                                : QueuedLineKind::CommandEnd);
}

// The field keeps its text when there is nothing to send it to.
void CServerDlg::SendCommandField() {
  if (session_.Engine() == nullptr) {
    return;
  }
  auto& field = Item(res::IDC_COMMAND);
  const std::string command = field.GetWindowText();
  if (command.empty() || command.front() == '\0') {
    return;
  }
  field.SetWindowText("");
  RunLine(command, {CommandSource::Window, {}}, {});
}

void CServerDlg::ClearConsole() {
  Item(res::IDC_CONSOLE).SetWindowText("");
}

}  // namespace vex
