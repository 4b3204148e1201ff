#include "tools/vexclient/Player.h"

#include <sys/socket.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <type_traits>

namespace vex::tools {

namespace {

using namespace std::chrono_literals;

constexpr auto kResendPeriod = 500ms;
constexpr auto kJoinPatience = 5s;
constexpr auto kServerSilence = 10s;
constexpr auto kChatPeriod = 5s;

}  // namespace

Player::Player(int number, std::string name, std::string password, bool chat)
    : number_(number),
      name_(std::move(name)),
      password_(std::move(password)),
      chat_(chat),
      random_(std::random_device{}()) {}

Player::~Player() {
  if (fd_ >= 0) {
    ::close(fd_);
  }
}

bool Player::Open(const sockaddr_in& server, std::string& error) {
  fd_ = ::socket(AF_INET, SOCK_DGRAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
  if (fd_ < 0 || ::connect(fd_, reinterpret_cast<const sockaddr*>(&server), sizeof server) != 0) {
    error = std::strerror(errno);
    return false;
  }
  token_ = random_();
  return true;
}

void Player::Send(const gamenet::Message& message) {
  const std::vector<std::uint8_t> datagram = gamenet::Encode(message);
  // A lost datagram is resent or made up for by the next one; an unreachable server shows as
  // silence.
  (void)::send(fd_, datagram.data(), datagram.size(), 0);
}

void Player::Finish(PlayerState state, const char* what) {
  state_ = state;
  std::printf("player %d (%s): %s\n", number_, name_.c_str(), what);
}

void Player::OnReadable(Clock::time_point now) {
  std::array<std::uint8_t, gamenet::kMaxDatagramBytes> buffer;
  for (;;) {
    const ssize_t received = ::recv(fd_, buffer.data(), buffer.size(), 0);
    if (received < 0) {
      // An earlier datagram found no listener; later ones may.
      if (errno == ECONNREFUSED) {
        continue;
      }
      return;
    }
    const gamenet::Decoded decoded =
        gamenet::Decode(std::span(buffer.data(), static_cast<std::size_t>(received)));
    if (const auto* message = std::get_if<gamenet::Message>(&decoded); message && !Finished()) {
      lastHeard_ = now;
      Handle(*message, now);
    }
  }
}

void Player::Handle(const gamenet::Message& message, Clock::time_point now) {
  std::visit(
      [&](const auto& m) {
        using T = std::decay_t<decltype(m)>;
        if constexpr (std::is_same_v<T, gamenet::Challenge>) {
          if (state_ == PlayerState::Joining && m.Token == token_ && !cookie_) {
            cookie_ = m.Cookie;
            Send(gamenet::Join{m.Cookie, name_, password_});
            nextSend_ = now + kResendPeriod;
          }
        } else if constexpr (std::is_same_v<T, gamenet::Accepted>) {
          if (state_ == PlayerState::Joining) {
            state_ = PlayerState::Playing;
            joined_ = true;
            clientId_ = m.ClientId;
            key_ = m.Key;
            nextChat_ = now;
            std::printf("player %d (%s): joined as client %d\n", number_, name_.c_str(),
                        static_cast<int>(clientId_));
          }
        } else if constexpr (std::is_same_v<T, gamenet::Refused>) {
          if (state_ == PlayerState::Joining) {
            refusal_ = m.Reason;
            Finish(PlayerState::Refused,
                   (std::string("refused: ") + gamenet::RefuseReasonText(m.Reason)).c_str());
          }
        } else if constexpr (std::is_same_v<T, gamenet::Ping>) {
          if (state_ == PlayerState::Playing) {
            Send(gamenet::Pong{clientId_, key_, m.Sequence});
            if (m.RoundTripMicros > 0) {
              roundTripsMs_.push_back(m.RoundTripMicros / 1000.0);
            }
          }
        } else if constexpr (std::is_same_v<T, gamenet::Disconnect>) {
          if (state_ == PlayerState::Playing) {
            const PlayerState state =
                m.Reason == gamenet::DisconnectReason::Kicked     ? PlayerState::Kicked
                : m.Reason == gamenet::DisconnectReason::TimedOut ? PlayerState::TimedOut
                                                                  : PlayerState::ServerClosed;
            Finish(state, gamenet::DisconnectReasonText(m.Reason));
          }
        } else if constexpr (std::is_same_v<T, gamenet::Level>) {
          if (state_ == PlayerState::Playing) {
            std::printf("player %d (%s): level %d, %s\n", number_, name_.c_str(),
                        static_cast<int>(m.Index) + 1, m.Name.c_str());
          }
        }
      },
      message);
}

void Player::Tick(Clock::time_point now) {
  if (state_ == PlayerState::Joining) {
    if (startedJoining_ == Clock::time_point{}) {
      startedJoining_ = now;
    }
    if (now - startedJoining_ > kJoinPatience) {
      Finish(PlayerState::NoAnswer, "no answer from the server");
      return;
    }
    if (now >= nextSend_) {
      if (cookie_) {
        Send(gamenet::Join{*cookie_, name_, password_});
      } else {
        Send(gamenet::Hello{token_});
      }
      nextSend_ = now + kResendPeriod;
    }
    return;
  }
  if (state_ != PlayerState::Playing) {
    return;
  }
  if (now - lastHeard_ > kServerSilence) {
    Finish(PlayerState::TimedOut, "timed out (the server fell silent)");
    return;
  }
  if (chat_ && now >= nextChat_) {
    Send(gamenet::Chat{clientId_, key_,
                       "hello from " + name_ + " #" + std::to_string(++chatsSent_)});
    nextChat_ = now + kChatPeriod;
  }
}

void Player::Leave() {
  if (state_ == PlayerState::Playing) {
    Send(gamenet::Leave{clientId_, key_});
    state_ = PlayerState::Left;
  }
}

}  // namespace vex::tools
