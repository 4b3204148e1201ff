#pragma once

#include <string>
#include <string_view>

namespace vex {

class CServerDlg;

// One of the server's own commands typed on the terminal ("/boot 12"). Everything that lists,
// explains or completes the commands reads the one table of these rows,
// CServerDlg::TerminalCommands().
struct TerminalCommand {
  std::string_view Name;       // with its slash
  std::string_view Arguments;  // as shown in the help, empty when it takes none
  std::string_view Help;
  void (*Run)(CServerDlg& window, std::string_view argument);
};

// The /help text, one aligned line per command.
std::string TerminalHelpText();

}  // namespace vex
