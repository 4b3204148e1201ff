#pragma once

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>
#include <cstdint>
#include <optional>
#include <string>

#include "remote/RconPacket.h"

namespace vex::test {

// A blocking remote console client for a thread of a test, on 127.0.0.1.
class RconClient {
 public:
  explicit RconClient(int port) : fd_(socket(AF_INET, SOCK_STREAM, 0)) {
    sockaddr_in to{};
    to.sin_family = AF_INET;
    to.sin_port = htons(static_cast<std::uint16_t>(port));
    to.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    connect(fd_, reinterpret_cast<const sockaddr*>(&to), sizeof to);
  }
  ~RconClient() { close(fd_); }

  void Send(const std::string& bytes) { send(fd_, bytes.data(), bytes.size(), MSG_NOSIGNAL); }

  // The next packet, or nothing when the connection ends or nothing comes within the time.
  std::optional<remote::RconPacket> Next(
      std::chrono::milliseconds limit = std::chrono::seconds(5)) {
    const auto deadline = std::chrono::steady_clock::now() + limit;
    while (std::chrono::steady_clock::now() < deadline) {
      if (buffer_.size() >= 4) {
        const auto size = static_cast<std::size_t>(ReadInt32(0));
        if (buffer_.size() >= 4 + size) {
          remote::RconPacket packet{ReadInt32(4), ReadInt32(8), buffer_.substr(12, size - 10)};
          buffer_.erase(0, 4 + size);
          return packet;
        }
      }
      pollfd watch{fd_, POLLIN, 0};
      if (poll(&watch, 1, 20) <= 0) {
        continue;
      }
      char chunk[8192];
      const ssize_t got = recv(fd_, chunk, sizeof chunk, 0);
      if (got <= 0) {
        closed_ = true;
        return std::nullopt;
      }
      buffer_.append(chunk, static_cast<std::size_t>(got));
    }
    return std::nullopt;
  }
  bool Closed() const { return closed_; }

 private:
  std::int32_t ReadInt32(std::size_t at) const {
    std::uint32_t value = 0;
    for (std::size_t i = 0; i < 4; ++i) {
      value |= static_cast<std::uint32_t>(static_cast<unsigned char>(buffer_[at + i])) << (8 * i);
    }
    return static_cast<std::int32_t>(value);
  }

  int fd_;
  std::string buffer_;
  bool closed_ = false;
};

}  // namespace vex::test
