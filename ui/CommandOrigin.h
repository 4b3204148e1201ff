#pragma once

#include <functional>
#include <string>

#include "remote/CommandOutput.h"

namespace vex {

enum class CommandSource { Window, Terminal, Remote };

// Where a command line came from: the window's command field, the terminal, or a remote client,
// which `Peer` names with its service and address ("RCON 127.0.0.1:51234").
struct CommandOrigin {
  CommandSource Source = CommandSource::Window;
  std::string Peer;

  bool Remote() const { return Source == CommandSource::Remote; }
};

// Called once, on the window thread, with what the command printed.
using CommandAnswer = std::function<void(remote::CommandOutput)>;

}  // namespace vex
