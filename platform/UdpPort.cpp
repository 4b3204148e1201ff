#include "platform/UdpPort.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>

namespace vex::platform {

bool UdpPortInUse(std::uint16_t port) {
  const int probe = ::socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0);
  if (probe < 0) {
    return false;
  }
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_ANY);
  address.sin_port = htons(port);
  const bool inUse =
      ::bind(probe, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0 &&
      errno == EADDRINUSE;
  ::close(probe);
  return inUse;
}

}  // namespace vex::platform
