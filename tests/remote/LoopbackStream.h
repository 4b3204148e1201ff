#pragma once

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>
#include <cstdint>
#include <string>

#include "tests/support/WaitUntil.h"

namespace vex::test {

// A blocking TCP connection to a port on 127.0.0.1, for a client on a thread of a test while the
// test's thread runs the service's event loop. `from` picks another address of 127.0.0.0/8 to
// connect from, to stand for many hosts.
class LoopbackStream {
 public:
  explicit LoopbackStream(int port, const char* from = nullptr)
      : fd_(socket(AF_INET, SOCK_STREAM, 0)) {
    if (from != nullptr) {
      sockaddr_in source{};
      source.sin_family = AF_INET;
      inet_pton(AF_INET, from, &source.sin_addr);
      bind(fd_, reinterpret_cast<const sockaddr*>(&source), sizeof source);
    }
    sockaddr_in to{};
    to.sin_family = AF_INET;
    to.sin_port = htons(static_cast<std::uint16_t>(port));
    to.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    connect(fd_, reinterpret_cast<const sockaddr*>(&to), sizeof to);
  }
  ~LoopbackStream() { close(fd_); }
  LoopbackStream(const LoopbackStream&) = delete;
  LoopbackStream& operator=(const LoopbackStream&) = delete;

  void Send(const std::string& bytes) { send(fd_, bytes.data(), bytes.size(), MSG_NOSIGNAL); }

  // Appends what arrives within a short wait to `into`; false once the peer has closed.
  bool ReceiveSome(std::string& into) {
    pollfd watch{fd_, POLLIN, 0};
    if (poll(&watch, 1, 20) <= 0) {
      return true;
    }
    char chunk[8192];
    const ssize_t got = recv(fd_, chunk, sizeof chunk, 0);
    if (got <= 0) {
      return false;
    }
    into.append(chunk, static_cast<std::size_t>(got));
    return true;
  }

  // Everything the peer sends until it closes, or until `limit` has passed.
  std::string ReceiveUntilClosed(std::chrono::milliseconds limit = std::chrono::seconds(10)) {
    std::string answer;
    WaitUntil([&] { return !ReceiveSome(answer); }, limit, std::chrono::milliseconds(0));
    return answer;
  }

 private:
  int fd_;
};

}  // namespace vex::test
