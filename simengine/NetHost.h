#pragma once

#include <cstdint>
#include <functional>
#include <random>
#include <string>
#include <unordered_map>

#include "simengine/ChallengeCookie.h"
#include "simengine/DropCounts.h"
#include "simengine/HostSocket.h"
#include "simengine/NetEvents.h"
#include "simengine/Outbox.h"
#include "simengine/RateLimiter.h"
#include "simengine/SimGame.h"
#include "simengine/protocol/NetProtocol.h"

namespace vex::sim {

// The game port: the client protocol on the hosted UDP socket. It proves addresses with
// cookies before it answers anything larger than what it was sent, keeps no state for an
// address until it joins, pings its clients and drops the silent ones. Times here are real
// time, whatever the game clock does.
class NetHost final : public NetEvents {
 public:
  explicit NetHost(int clientTimeoutMs);
  ~NetHost();
  NetHost(const NetHost&) = delete;
  NetHost& operator=(const NetHost&) = delete;

  bool Open(int port, std::string& error) { return socket_.Open(port, error); }
  bool IsOpen() const { return socket_.IsOpen(); }
  int Port() const { return socket_.Port(); }

  // Once a frame: reads a bounded number of datagrams, so that a flood cannot stretch the
  // frame, then pings the clients and drops the ones that timed out.
  void Service(SimGame& game, Outbox& out, const std::function<std::string()>& statusLine);

  void PlayerKicked(std::int32_t clientId) override;
  void LevelStarted(int index, std::string_view name) override;

  const DropCounts& Drops() const { return drops_; }

 private:
  struct Client {
    std::int32_t Id = 0;
    std::uint32_t Key = 0;
    std::int64_t LastHeardUs = 0;
    std::int64_t NextPingUs = 0;
    std::uint32_t PingSequence = 0;
    std::int64_t PingSentUs = -1;  // -1: no ping waits for its answer
    std::uint32_t LastRoundTripUs = 0;
    double SmoothedRoundTripUs = -1;
  };

  struct Context {
    SimGame& Game;
    Outbox& Out;
    const std::function<std::string()>& StatusLine;
    PeerAddress From;
    std::int64_t NowUs;
  };

  void Handle(std::span<const std::uint8_t> datagram, Context& context);
  void HandleMessage(const gamenet::Message& message, Context& context);
  void Join(const gamenet::Join& join, Context& context);
  // The client at the sender's address, when the message names its id and key; else counted.
  Client* Sender(std::int32_t clientId, std::uint32_t key, Context& context);
  void Pong(Client& client, const gamenet::Pong& pong, Context& context);
  void PingAndTimeOut(SimGame& game, Outbox& out, std::int64_t nowUs);
  void Send(PeerAddress to, const gamenet::Message& message);

  HostSocket socket_;
  ChallengeCookie cookie_;
  RateLimiter limiter_;
  std::mt19937 random_;
  const std::int64_t timeoutUs_;
  std::unordered_map<PeerAddress, Client> clients_;
  DropCounts drops_;
};

}  // namespace vex::sim
