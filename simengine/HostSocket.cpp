#include "simengine/HostSocket.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace vex::sim {

namespace {

constexpr int kReceiveBufferBytes = 1 << 20;

PeerAddress ToPeer(const sockaddr_in& address) {
  return (static_cast<PeerAddress>(ntohl(address.sin_addr.s_addr)) << 16) | ntohs(address.sin_port);
}

sockaddr_in FromPeer(PeerAddress peer) {
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(static_cast<std::uint32_t>(peer >> 16));
  address.sin_port = htons(static_cast<std::uint16_t>(peer & 0xffff));
  return address;
}

}  // namespace

HostSocket::~HostSocket() {
  if (fd_ >= 0) {
    ::close(fd_);
  }
}

bool HostSocket::Open(int port, std::string& error) {
  const int fd = ::socket(AF_INET, SOCK_DGRAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
  if (fd < 0) {
    error = std::string("Cannot create a UDP socket: ") + std::strerror(errno);
    return false;
  }
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_ANY);
  address.sin_port = htons(static_cast<std::uint16_t>(port));
  if (::bind(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0) {
    error = "Cannot bind UDP port " + std::to_string(port) + ": " + std::strerror(errno);
    ::close(fd);
    return false;
  }
  // Room for what arrives between two frames under a flood, so that the players' few datagrams
  // are not lost with it. The kernel caps the size (net.core.rmem_max); less is no failure.
  const int receiveBuffer = kReceiveBufferBytes;
  ::setsockopt(fd, SOL_SOCKET, SO_RCVBUF, &receiveBuffer, sizeof receiveBuffer);
  socklen_t length = sizeof address;
  ::getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length);
  fd_ = fd;
  port_ = ntohs(address.sin_port);
  return true;
}

std::optional<std::size_t> HostSocket::Receive(std::span<std::uint8_t> buffer, PeerAddress& from) {
  if (fd_ < 0) {
    return std::nullopt;
  }
  sockaddr_in sender{};
  socklen_t senderLength = sizeof sender;
  // MSG_TRUNC: the result is the datagram's own size, so an over-long one is seen as such.
  const ssize_t received = ::recvfrom(fd_, buffer.data(), buffer.size(), MSG_TRUNC,
                                      reinterpret_cast<sockaddr*>(&sender), &senderLength);
  if (received < 0) {
    return std::nullopt;
  }
  from = ToPeer(sender);
  return static_cast<std::size_t>(received);
}

void HostSocket::Send(PeerAddress to, std::span<const std::uint8_t> datagram) {
  if (fd_ < 0) {
    return;
  }
  const sockaddr_in address = FromPeer(to);
  ::sendto(fd_, datagram.data(), datagram.size(), 0, reinterpret_cast<const sockaddr*>(&address),
           sizeof address);
}

}  // namespace vex::sim
