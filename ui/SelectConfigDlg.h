#pragma once

#include <optional>
#include <string>
#include <vector>

#include "config/ConfigPath.h"
#include "framework/Dialog.h"

namespace vex {

// Chooses the server configuration file. With no file it cancels at once and with one it accepts
// that one at once; with more the operator picks. Without a window the choice is made on the
// terminal, when standard input is one; otherwise the dialog cancels.
class CSelectConfigDlg : public fw::CDialog {
 public:
  explicit CSelectConfigDlg(fw::CDialog* parent = nullptr);
  // The accepted title; empty unless the dialog ended with OK.
  const std::string& ChosenName() const { return chosenName_; }

 protected:
  bool OnInitDialog() override;
  void OnOK() override;

 private:
  // Asks on the terminal and posts OK or Cancel. The window thread waits for the answer, as a
  // modal dialog holds the start of the server.
  void ChooseOnTerminal();

  std::string chosenName_;
};

// Runs the dialog modally, with no parent, as the host setup does: the status window that is
// starting the server is not its owner. The chosen title, or nothing when the operator or the
// dialog cancelled.
std::optional<std::string> RunConfigSelection();

}  // namespace vex
