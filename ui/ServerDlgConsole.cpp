#include <optional>
#include <string>

#include "framework/Controls.h"
#include "framework/StringTable.h"
#include "framework/TerminalStyle.h"
#include "framework/VisibleText.h"
#include "platform/TextCut.h"
#include "res/Resource.h"
#include "session/LevelControls.h"
#include "session/ShellMessages.h"
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
  if (remote_.Web) {
    remote_.Web->ConsoleLine(line);
  }
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

void CServerDlg::SendCommandField() {
  if (session_.Engine() == nullptr) {
    return;
  }
  auto& field = Item(res::IDC_COMMAND);
  std::string command = field.GetWindowText();
  // The game reads the command as a zero-terminated text of at most 119 bytes; the echo shows
  // what is sent, without a character that the cut would split.
  command = std::string(platform::CutAtCharacter(
      std::string_view(command).substr(0, command.find('\0')), kMaxConsoleCommand));
  if (command.empty()) {
    return;
  }
  std::string echo = "<< ";
  echo += fw::LoadStringOrEmpty(res::IDS_SERVER_SPEAKER);
  echo += " >>  ";
  echo += command;
  {
    const fw::TerminalStyleScope dimmed(fw::TerminalStyle::Dim);
    PrintConsoleLine(echo);
  }
  field.SetWindowText("");
  SendConsoleCommand(session_, command);
}

void CServerDlg::ClearConsole() {
  Item(res::IDC_CONSOLE).SetWindowText("");
}

}  // namespace vex
