#pragma once

#include <string>
#include <string_view>

#include "ui/CommandOrigin.h"

namespace vex {

class CServerDlg;

// One of the server's own commands, typed on the terminal or sent by a remote client ("/boot 12").
// Everything that lists, explains or completes the commands reads the one table of these rows,
// CServerDlg::TerminalCommands().
struct TerminalCommand {
  std::string_view Name;       // with its slash
  std::string_view Arguments;  // as shown in the help, empty when it takes none
  std::string_view Help;
  // Returns what the command prints for whoever asked.
  std::string (*Run)(CServerDlg& window, const CommandOrigin& origin, std::string_view argument);
};

// The /help text, one aligned line per command.
std::string TerminalHelpText();

}  // namespace vex
