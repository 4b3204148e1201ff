#include "ui/SelectConfigDlg.h"

#include <unistd.h>

#include <charconv>
#include <string_view>

#include "config/ConfigPath.h"
#include "framework/Application.h"
#include "framework/Controls.h"
#include "framework/MessageBox.h"
#include "res/Resource.h"

namespace vex {

namespace {

fw::CComboBox& ConfigList(const fw::CDialog& dialog) {
  return dialog.Control<fw::CComboBox>(res::IDC_CONFIG_LIST);
}

bool RunsOnTerminal() {
  const fw::CWinApp* app = fw::AfxGetApp();
  return app != nullptr && app->ActiveFrontEnd() == fw::FrontEnd::Console;
}

bool IsBlank(std::string_view line) {
  return line.find_first_not_of(" \t\r") == line.npos;
}

// A number from 1 to count, blanks around it allowed.
std::optional<int> ParseChoice(std::string_view line, int count) {
  const std::size_t start = line.find_first_not_of(" \t");
  const std::size_t end = line.find_last_not_of(" \t\r") + 1;
  int number = 0;
  const auto [rest, error] = std::from_chars(line.data() + start, line.data() + end, number);
  if (error != std::errc() || rest != line.data() + end || number < 1 || number > count) {
    return std::nullopt;
  }
  return number;
}

// Reads byte by byte, so that nothing after the line is taken from the terminal's other readers.
// Nothing at the end of input, on an error or when a signal interrupts the wait.
std::optional<std::string> ReadTerminalLine(int fd) {
  std::string line;
  char byte = 0;
  for (;;) {
    const ssize_t got = read(fd, &byte, 1);
    if (got <= 0) {
      return line.empty() || got < 0 ? std::nullopt : std::optional<std::string>(line);
    }
    if (byte == '\n') {
      return line;
    }
    line.push_back(byte);
  }
}

}  // namespace

CSelectConfigDlg::CSelectConfigDlg(fw::CDialog* parent)
    : fw::CDialog(res::IDD_SELECT_CONFIG, parent) {}

bool CSelectConfigDlg::OnInitDialog() {
  fw::CDialog::OnInitDialog();
  fw::CComboBox& list = ConfigList(*this);
  for (const std::string& title : ListConfigTitles()) {
    list.AddString(title);
  }
  Item(fw::IDOK).EnableWindow(list.GetCount() > 0);
  if (list.GetCount() == 0) {
    PostCommand(fw::IDCANCEL);
    return true;
  }
  list.SetCurSel(0);
  if (list.GetCount() == 1) {
    PostCommand(fw::IDOK);
  } else if (RunsOnTerminal()) {
    ChooseOnTerminal();
  }
  return true;
}

void CSelectConfigDlg::OnOK() {
  const fw::CComboBox& list = ConfigList(*this);
  if (const int selected = list.GetCurSel(); selected >= 0) {
    chosenName_ = list.GetLBText(selected);
  }
  fw::CDialog::OnOK();
}

void CSelectConfigDlg::ChooseOnTerminal() {
  fw::CComboBox& list = ConfigList(*this);
  if (isatty(STDIN_FILENO) == 0) {
    PostCommand(fw::IDCANCEL);
    return;
  }
  std::string menu = "Server configuration files:\n";
  for (int i = 0; i < list.GetCount(); ++i) {
    menu += "  " + std::to_string(i + 1) + ". " + list.GetLBText(i) + "\n";
  }
  fw::TerminalWrite(menu);
  const std::string prompt = "Choose a file by its number (1-" + std::to_string(list.GetCount()) +
                             "), or an empty line to cancel: ";
  for (;;) {
    fw::TerminalWrite(prompt);
    const std::optional<std::string> line = ReadTerminalLine(STDIN_FILENO);
    if (!line || IsBlank(*line)) {
      PostCommand(fw::IDCANCEL);
      return;
    }
    if (const std::optional<int> number = ParseChoice(*line, list.GetCount())) {
      list.SetCurSel(*number - 1);
      PostCommand(fw::IDOK);
      return;
    }
  }
}

std::optional<std::string> RunConfigSelection() {
  CSelectConfigDlg dialog;
  if (dialog.DoModal() != fw::IDOK || dialog.ChosenName().empty()) {
    return std::nullopt;
  }
  return dialog.ChosenName();
}

}  // namespace vex
