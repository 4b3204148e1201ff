#pragma once

#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cstdint>
#include <fstream>
#include <random>

namespace vex::test {

inline bool Bindable(int port, int type) {
  const int fd = ::socket(AF_INET, type, 0);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_ANY);
  address.sin_port = htons(static_cast<std::uint16_t>(port));
  const bool bound =
      fd >= 0 && ::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0;
  if (fd >= 0) {
    ::close(fd);
  }
  return bound;
}

// A port that nothing binds now, for UDP and TCP, and the one after it too (the server query's
// default). Taken at random below the kernel's ephemeral range: a port handed out for a bind to
// port 0 (a server started with -port 0, a client socket) comes from that range, and could be
// taken again by another test's server between this choice and the bind it is meant for.
inline int UnusedPort() {
  int ephemeralLow = 32768;
  std::ifstream("/proc/sys/net/ipv4/ip_local_port_range") >> ephemeralLow;
  static std::mt19937 random{std::random_device{}()};
  std::uniform_int_distribution<int> pick(10000, ephemeralLow - 2);
  for (int attempt = 0; attempt < 200; ++attempt) {
    const int port = pick(random);
    if (Bindable(port, SOCK_DGRAM) && Bindable(port, SOCK_STREAM) &&
        Bindable(port + 1, SOCK_DGRAM) && Bindable(port + 1, SOCK_STREAM)) {
      return port;
    }
  }
  return 0;
}

}  // namespace vex::test
