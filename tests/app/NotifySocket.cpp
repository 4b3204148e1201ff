#include "tests/app/NotifySocket.h"

#include <poll.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>
#include <filesystem>

#include "tests/support/WaitUntil.h"

namespace vex::test {

NotifySocket::NotifySocket() {
  path_ = (folder_.Path() / "notify").string();
  socket_ = socket(AF_UNIX, SOCK_DGRAM | SOCK_CLOEXEC, 0);
  sockaddr_un address{};
  address.sun_family = AF_UNIX;
  std::strncpy(address.sun_path, path_.c_str(), sizeof address.sun_path - 1);
  if (socket_ < 0 || bind(socket_, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) {
    std::abort();
  }
}

NotifySocket::~NotifySocket() {
  close(socket_);
}

std::optional<std::string> NotifySocket::Receive(std::chrono::milliseconds limit) {
  pollfd watched{socket_, POLLIN, 0};
  if (poll(&watched, 1, static_cast<int>(limit.count())) <= 0) {
    return std::nullopt;
  }
  char datagram[4096];
  const ssize_t length = recv(socket_, datagram, sizeof datagram, 0);
  if (length < 0) {
    return std::nullopt;
  }
  return std::string(datagram, static_cast<std::size_t>(length));
}

std::optional<std::string> NotifySocket::WaitFor(const std::string& text,
                                                 std::chrono::milliseconds limit) {
  std::optional<std::string> datagram;
  const bool came =
      WaitUntil([&] { return datagram && datagram->find(text) != std::string::npos; }, limit, limit,
                [&](std::chrono::milliseconds pause) { datagram = Receive(pause); });
  return came ? datagram : std::nullopt;
}

}  // namespace vex::test
