#pragma once

#include <functional>
#include <string>
#include <string_view>

#include "remote/A2sMessages.h"

namespace vex::services {

// What the remote console and the server query need from the status window. Every call comes on
// the window thread.
class IRemoteHost {
 public:
  // Runs one command line as if the operator had typed it at the terminal, and calls `done` once,
  // later and on the window thread, with the console text that it produced. `peer` names the
  // service and the client on the console ("RCON 192.0.2.10:51234").
  virtual void RunRemoteCommand(const std::string& line, const std::string& peer,
                                std::function<void(std::string)> done) = 0;
  virtual remote::A2sStatus QueryStatus() = 0;
  // A line for the operator's console: refused connections, bans, listening sockets.
  virtual void ReportRemoteEvent(std::string_view text) = 0;

 protected:
  ~IRemoteHost() = default;
};

}  // namespace vex::services
