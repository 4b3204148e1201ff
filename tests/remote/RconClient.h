#pragma once

#include <chrono>
#include <cstdint>
#include <optional>
#include <string>

#include "remote/RconPacket.h"
#include "tests/remote/LoopbackStream.h"
#include "tests/support/WaitUntil.h"

namespace vex::test {

// A blocking remote console client for a thread of a test, on 127.0.0.1 (from another address of
// 127.0.0.0/8 when `from` names one).
class RconClient {
 public:
  explicit RconClient(int port, const char* from = nullptr) : stream_(port, from) {}

  void Send(const std::string& bytes) { stream_.Send(bytes); }

  // The next packet, or nothing when the connection ends or nothing comes within the time.
  std::optional<remote::RconPacket> Next(
      std::chrono::milliseconds limit = std::chrono::seconds(5)) {
    std::optional<remote::RconPacket> packet;
    bool ended = false;
    WaitUntil(
        [&] {
          packet = TakePacket();
          ended = !packet && !stream_.ReceiveSome(buffer_);
          return packet || ended;
        },
        limit, std::chrono::milliseconds(0));
    closed_ = closed_ || ended;
    return packet;
  }
  bool Closed() const { return closed_; }

  // The auth response to a sign-in, past the empty response value that comes before it.
  std::optional<remote::RconPacket> Verdict() {
    std::optional<remote::RconPacket> packet;
    do {
      packet = Next();
    } while (packet && packet->Type != remote::kRconAuthResponse);
    return packet;
  }

 private:
  // The first whole packet of what has arrived, taken out of it.
  std::optional<remote::RconPacket> TakePacket() {
    if (buffer_.size() < 4) {
      return std::nullopt;
    }
    const auto size = static_cast<std::size_t>(ReadInt32(0));
    if (buffer_.size() < 4 + size) {
      return std::nullopt;
    }
    remote::RconPacket packet{ReadInt32(4), ReadInt32(8), buffer_.substr(12, size - 10)};
    buffer_.erase(0, 4 + size);
    return packet;
  }
  std::int32_t ReadInt32(std::size_t at) const {
    std::uint32_t value = 0;
    for (std::size_t i = 0; i < 4; ++i) {
      value |= static_cast<std::uint32_t>(static_cast<unsigned char>(buffer_[at + i])) << (8 * i);
    }
    return static_cast<std::int32_t>(value);
  }

  LoopbackStream stream_;
  std::string buffer_;
  bool closed_ = false;
};

}  // namespace vex::test
