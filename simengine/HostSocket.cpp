#include "simengine/HostSocket.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <cstring>
#include <string_view>

namespace vex::sim {

namespace {

constexpr int kMaxQueriesPerFrame = 32;

bool IsStatusQuery(std::string_view datagram) {
  while (!datagram.empty() &&
         (datagram.back() == '\n' || datagram.back() == '\r' || datagram.back() == '\0')) {
    datagram.remove_suffix(1);
  }
  return datagram == "status";
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
  socklen_t length = sizeof address;
  ::getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length);
  fd_ = fd;
  port_ = ntohs(address.sin_port);
  return true;
}

void HostSocket::AnswerQueries(const std::function<std::string()>& statusLine) {
  if (fd_ < 0) {
    return;
  }
  std::array<char, 512> buffer;
  for (int i = 0; i < kMaxQueriesPerFrame; ++i) {
    sockaddr_storage sender{};
    socklen_t senderLength = sizeof sender;
    const ssize_t received = ::recvfrom(fd_, buffer.data(), buffer.size(), 0,
                                        reinterpret_cast<sockaddr*>(&sender), &senderLength);
    if (received < 0) {
      return;
    }
    if (!IsStatusQuery(std::string_view(buffer.data(), static_cast<std::size_t>(received)))) {
      continue;
    }
    const std::string reply = statusLine();
    ::sendto(fd_, reply.data(), reply.size(), 0, reinterpret_cast<const sockaddr*>(&sender),
             senderLength);
  }
}

}  // namespace vex::sim
