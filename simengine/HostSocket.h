#pragma once

#include <functional>
#include <string>

namespace vex::sim {

// The hosted game's UDP socket on all interfaces. It answers the datagram "status" with one line
// of text and ignores everything else.
class HostSocket {
 public:
  HostSocket() = default;
  HostSocket(const HostSocket&) = delete;
  HostSocket& operator=(const HostSocket&) = delete;
  ~HostSocket();

  // Port 0 takes any free port. Without SO_REUSEADDR, so a port in use fails here.
  bool Open(int port, std::string& error);
  bool IsOpen() const { return fd_ >= 0; }
  int Port() const { return port_; }

  // Never blocks; answers at most a bounded number of datagrams per call so that a flood cannot
  // stall the frame.
  void AnswerQueries(const std::function<std::string()>& statusLine);

 private:
  int fd_ = -1;
  int port_ = 0;
};

}  // namespace vex::sim
