#pragma once

#include <chrono>
#include <optional>
#include <string>

#include "tests/support/ScratchFolder.h"

namespace vex::test {

// A Unix datagram socket in a fresh folder, playing the service manager's notification socket.
class NotifySocket {
 public:
  NotifySocket();
  ~NotifySocket();
  NotifySocket(const NotifySocket&) = delete;
  NotifySocket& operator=(const NotifySocket&) = delete;

  // "NOTIFY_SOCKET=<path>", for the child's environment.
  std::string Variable() const { return "NOTIFY_SOCKET=" + path_; }
  // The next datagram, or nothing when none came in time.
  std::optional<std::string> Receive(std::chrono::milliseconds limit);
  // Datagrams until one holds `text` (which is returned), or nothing when time is up.
  std::optional<std::string> WaitFor(const std::string& text, std::chrono::milliseconds limit);

 private:
  ScratchFolder folder_;
  std::string path_;
  int socket_ = -1;
};

}  // namespace vex::test
