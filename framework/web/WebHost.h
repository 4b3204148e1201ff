#pragma once

#include <string>

#include "framework/net/RemoteHost.h"

namespace vex::fw::web {

// What the operator's web page needs from the status window, beyond the remote console's
// command path. Every call comes on the window thread.
class IWebHost : public net::IRemoteHost {
 public:
  // The page's live state as one JSON object: status, players, levels, plots.
  virtual std::string WebStateJson() = 0;

 protected:
  ~IWebHost() = default;
};

}  // namespace vex::fw::web
