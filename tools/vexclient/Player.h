#pragma once

#include <netinet/in.h>

#include <chrono>
#include <cstdint>
#include <optional>
#include <random>
#include <string>
#include <vector>

#include "simengine/protocol/NetProtocol.h"

namespace vex::tools {

using Clock = std::chrono::steady_clock;

enum class PlayerState {
  Joining,  // asking for a challenge, then joining
  Playing,
  Refused,   // Refusal() says why
  NoAnswer,  // the server never answered the join
  Kicked,
  TimedOut,  // the server dropped it, or fell silent
  ServerClosed,
  Left,
};

// One player of vexclient on a UDP socket of its own, connected to the server: it proves its
// address, joins, answers pings, chats now and then when asked to, and leaves.
class Player {
 public:
  Player(int number, std::string name, std::string password, bool chat);
  ~Player();
  Player(const Player&) = delete;
  Player& operator=(const Player&) = delete;

  bool Open(const sockaddr_in& server, std::string& error);
  int Fd() const { return fd_; }

  // Reads every datagram waiting on the socket.
  void OnReadable(Clock::time_point now);
  // Resends what got no answer, chats, and notices a silent server.
  void Tick(Clock::time_point now);
  // Tells the server it goes, when it plays.
  void Leave();

  PlayerState State() const { return state_; }
  bool Finished() const { return state_ != PlayerState::Joining && state_ != PlayerState::Playing; }
  bool Joined() const { return joined_; }
  std::optional<gamenet::RefuseReason> Refusal() const { return refusal_; }
  // The round trips in milliseconds that the server measured and reported in its pings.
  const std::vector<double>& RoundTripsMs() const { return roundTripsMs_; }

 private:
  void Handle(const gamenet::Message& message, Clock::time_point now);
  void Send(const gamenet::Message& message);
  void Finish(PlayerState state, const char* what);

  int number_;
  std::string name_;
  std::string password_;
  bool chat_;
  int fd_ = -1;
  std::mt19937 random_;
  PlayerState state_ = PlayerState::Joining;
  bool joined_ = false;
  std::optional<gamenet::RefuseReason> refusal_;
  std::uint32_t token_ = 0;
  std::optional<std::uint64_t> cookie_;
  std::int32_t clientId_ = 0;
  std::uint32_t key_ = 0;
  Clock::time_point startedJoining_;
  Clock::time_point nextSend_;
  Clock::time_point lastHeard_;
  Clock::time_point nextChat_;
  int chatsSent_ = 0;
  std::vector<double> roundTripsMs_;
};

}  // namespace vex::tools
