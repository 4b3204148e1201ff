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
#include <variant>
#include <vector>

#include "simengine/protocol/NetProtocol.h"
#include "tests/simengine/SimEngineHarness.h"
#include "tests/support/WaitUntil.h"

namespace vex::test {

// A UDP socket of the test's own; bound to the given port on all interfaces, or to any port.
class UdpSocket {
 public:
  explicit UdpSocket(int port = 0) : fd_(::socket(AF_INET, SOCK_DGRAM, 0)) {
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_ANY);
    address.sin_port = htons(static_cast<std::uint16_t>(port));
    bound_ = ::bind(fd_, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0;
  }
  ~UdpSocket() { ::close(fd_); }
  UdpSocket(const UdpSocket&) = delete;
  UdpSocket& operator=(const UdpSocket&) = delete;

  bool Bound() const { return bound_; }
  int Port() const {
    sockaddr_in address{};
    socklen_t length = sizeof address;
    ::getsockname(fd_, reinterpret_cast<sockaddr*>(&address), &length);
    return ntohs(address.sin_port);
  }
  void SendTo(int port, const std::string& bytes) const {
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    address.sin_port = htons(static_cast<std::uint16_t>(port));
    ::sendto(fd_, bytes.data(), bytes.size(), 0, reinterpret_cast<sockaddr*>(&address),
             sizeof address);
  }
  // Empty when nothing arrives in time.
  std::string Receive(int timeoutMs) const {
    pollfd waiting{fd_, POLLIN, 0};
    if (::poll(&waiting, 1, timeoutMs) != 1) {
      return {};
    }
    char buffer[2048];
    const ssize_t received = ::recv(fd_, buffer, sizeof buffer, 0);
    return received > 0 ? std::string(buffer, static_cast<std::size_t>(received)) : std::string();
  }

 private:
  int fd_;
  bool bound_ = false;
};

inline std::string Bytes(const gamenet::Message& message,
                         std::uint8_t version = gamenet::kProtocolVersion) {
  const std::vector<std::uint8_t> bytes = gamenet::Encode(message, version);
  return std::string(bytes.begin(), bytes.end());
}

// A client of the game port driven by hand: each call runs engine frames until the answer
// arrives, so the test needs no thread of frames.
class PortClient {
 public:
  PortClient(TestEngine& engine, int port) : engine_(engine), port_(port) {}

  void Send(const std::string& bytes) { socket_.SendTo(port_, bytes); }
  void Send(const gamenet::Message& message) { Send(Bytes(message)); }

  // The next datagram, running frames for up to `limit`; empty when none came.
  std::string Next(std::chrono::milliseconds limit = std::chrono::seconds(5)) {
    std::string datagram;
    WaitUntil(
        [&] {
          engine_.RunFrames(1);
          datagram = socket_.Receive(5);
          return !datagram.empty();
        },
        limit, std::chrono::milliseconds(0));
    return datagram;
  }

  // The next message of type T, skipping others (pings, level notices).
  template <class T>
  std::optional<T> Await(std::chrono::milliseconds limit = std::chrono::seconds(5)) {
    std::optional<T> wanted;
    WaitUntil([&] { return wanted.has_value(); }, limit, limit,
              [&](std::chrono::milliseconds left) {
                if (const auto message = Decoded(Next(left))) {
                  if (const T* found = std::get_if<T>(&*message)) {
                    wanted = *found;
                  }
                }
              });
    return wanted;
  }

  std::optional<std::uint64_t> Prove() {
    Send(gamenet::Hello{7});
    const auto challenge = Await<gamenet::Challenge>();
    return challenge ? std::optional(challenge->Cookie) : std::nullopt;
  }

  // The answer to a join: Accepted or Refused.
  std::optional<gamenet::Message> Join(const std::string& name, const std::string& password = "",
                                       std::uint8_t version = gamenet::kProtocolVersion) {
    const auto cookie = Prove();
    if (!cookie) {
      return std::nullopt;
    }
    Send(Bytes(gamenet::Join{*cookie, name, password}, version));
    std::optional<gamenet::Message> answer;
    const bool answered = WaitUntil(
        [&] {
          answer = Decoded(Next());
          return answer && (std::holds_alternative<gamenet::Accepted>(*answer) ||
                            std::holds_alternative<gamenet::Refused>(*answer));
        },
        std::chrono::seconds(5), std::chrono::milliseconds(0));
    return answered ? answer : std::nullopt;
  }

  UdpSocket& Socket() { return socket_; }

 private:
  static std::optional<gamenet::Message> Decoded(const std::string& datagram) {
    const auto decoded = gamenet::Decode(
        std::span(reinterpret_cast<const std::uint8_t*>(datagram.data()), datagram.size()));
    if (const auto* message = std::get_if<gamenet::Message>(&decoded)) {
      return *message;
    }
    return std::nullopt;
  }

  TestEngine& engine_;
  int port_;
  UdpSocket socket_;
};

}  // namespace vex::test
