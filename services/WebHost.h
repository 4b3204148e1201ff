#pragma once

#include <string>

#include "services/RemoteHost.h"

namespace vex::services {

// What the operator's web page needs from the status window, beyond the remote console's
// command path. Every call comes on the window thread.
class IWebHost : public IRemoteHost {
 public:
  // The page's live state as one JSON object: status, players, levels, plots.
  virtual std::string WebStateJson() = 0;

 protected:
  ~IWebHost() = default;
};

}  // namespace vex::services
