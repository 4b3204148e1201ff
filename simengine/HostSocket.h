#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>

namespace vex::sim {

// An IPv4 address and port in one number: the address in the high bits, the port in the low 16.
using PeerAddress = std::uint64_t;

// The hosted game's UDP socket on all interfaces; it never blocks.
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

  // The size the waiting datagram had, which may exceed the buffer (the rest is then lost);
  // nullopt when none waits.
  std::optional<std::size_t> Receive(std::span<std::uint8_t> buffer, PeerAddress& from);
  void Send(PeerAddress to, std::span<const std::uint8_t> datagram);

 private:
  int fd_ = -1;
  int port_ = 0;
};

}  // namespace vex::sim
