#include "simengine/NetHost.h"

#include <array>
#include <chrono>
#include <cmath>
#include <type_traits>
#include <vector>

namespace vex::sim {

namespace {

// About 15,000 datagrams a second at 30 frames: above the flood a load test sends, and a few
// hundred microseconds of work a frame.
constexpr int kMaxDatagramsPerFrame = 512;
constexpr std::int64_t kPingPeriodUs = 1'000'000;
constexpr int kDatagramsPerSecond = 40;
constexpr int kDatagramBurst = 80;
constexpr std::size_t kMaxRateAddresses = 4096;
// A new round trip moves the shown ping by an eighth of the difference, as TCP smooths its
// round-trip time.
constexpr double kSmoothing = 1.0 / 8.0;

std::int64_t NowMicros() {
  return std::chrono::duration_cast<std::chrono::microseconds>(
             std::chrono::steady_clock::now().time_since_epoch())
      .count();
}

}  // namespace

NetHost::NetHost(int clientTimeoutMs)
    : limiter_(kDatagramsPerSecond, kDatagramBurst, kMaxRateAddresses),
      random_(std::random_device{}()),
      timeoutUs_(static_cast<std::int64_t>(clientTimeoutMs) * 1000) {}

NetHost::~NetHost() {
  for (const auto& [address, client] : clients_) {
    Send(address, gamenet::Disconnect{gamenet::DisconnectReason::ServerClosing});
  }
}

void NetHost::Send(PeerAddress to, const gamenet::Message& message) {
  const std::vector<std::uint8_t> datagram = gamenet::Encode(message);
  socket_.Send(to, datagram);
}

void NetHost::Service(SimGame& game, Outbox& out, const std::function<std::string()>& statusLine) {
  if (!socket_.IsOpen()) {
    return;
  }
  const std::int64_t nowUs = NowMicros();
  // One byte more than a datagram may have, so that the size read tells an over-long one.
  std::array<std::uint8_t, gamenet::kMaxDatagramBytes + 1> buffer;
  for (int i = 0; i < kMaxDatagramsPerFrame; ++i) {
    PeerAddress from = 0;
    const std::optional<std::size_t> size = socket_.Receive(buffer, from);
    if (!size) {
      break;
    }
    if (!limiter_.Allow(from, nowUs / 1000)) {
      ++drops_.RateLimited;
      continue;
    }
    if (*size > gamenet::kMaxDatagramBytes) {
      ++drops_.OverLong;
      continue;
    }
    Context context{game, out, statusLine, from, nowUs};
    Handle(std::span(buffer.data(), *size), context);
  }
  PingAndTimeOut(game, out, nowUs);
}

void NetHost::Handle(std::span<const std::uint8_t> datagram, Context& context) {
  const gamenet::Decoded decoded = gamenet::Decode(datagram);
  if (const auto* error = std::get_if<gamenet::DecodeError>(&decoded)) {
    ++(*error == gamenet::DecodeError::Malformed ? drops_.Malformed : drops_.Unknown);
    return;
  }
  HandleMessage(std::get<gamenet::Message>(decoded), context);
}

void NetHost::HandleMessage(const gamenet::Message& message, Context& context) {
  const std::int64_t nowMs = context.NowUs / 1000;
  const auto proven = [&](std::uint64_t cookie) {
    if (cookie_.Check(cookie, context.From, nowMs)) {
      return true;
    }
    ++drops_.Spoofed;
    return false;
  };
  std::visit(
      [&](const auto& m) {
        using T = std::decay_t<decltype(m)>;
        if constexpr (std::is_same_v<T, gamenet::Hello>) {
          Send(context.From, gamenet::Challenge{m.Token, cookie_.Make(context.From, nowMs)});
        } else if constexpr (std::is_same_v<T, gamenet::Join>) {
          if (proven(m.Cookie)) {
            Join(m, context);
          }
        } else if constexpr (std::is_same_v<T, gamenet::ForeignJoin>) {
          if (proven(m.Cookie)) {
            Send(context.From, gamenet::Refused{gamenet::RefuseReason::WrongVersion});
          }
        } else if constexpr (std::is_same_v<T, gamenet::Query>) {
          if (proven(m.Cookie)) {
            Send(context.From, gamenet::Info{context.StatusLine()});
          }
        } else if constexpr (std::is_same_v<T, gamenet::Pong>) {
          if (Client* client = Sender(m.ClientId, m.Key, context)) {
            Pong(*client, m, context);
          }
        } else if constexpr (std::is_same_v<T, gamenet::Chat>) {
          if (Sender(m.ClientId, m.Key, context) != nullptr) {
            context.Game.Chat(m.ClientId, m.Text, context.Out);
          }
        } else if constexpr (std::is_same_v<T, gamenet::Leave>) {
          if (Sender(m.ClientId, m.Key, context) != nullptr) {
            context.Game.RemoveNetPlayer(m.ClientId, "left the game", context.Out);
            clients_.erase(context.From);
          }
        } else {
          // The server's own messages: nothing a client sends.
          ++drops_.Unknown;
        }
      },
      message);
}

void NetHost::Join(const gamenet::Join& join, Context& context) {
  // A join repeated because its answer was lost is answered again, not taken for a second
  // player.
  if (const auto known = clients_.find(context.From); known != clients_.end()) {
    Send(context.From, gamenet::Accepted{known->second.Id, known->second.Key});
    return;
  }
  const JoinResult result = context.Game.AddNetPlayer(join.Name, join.Password, context.Out);
  if (const auto* reason = std::get_if<gamenet::RefuseReason>(&result)) {
    Send(context.From, gamenet::Refused{*reason});
    return;
  }
  Client client;
  client.Id = std::get<std::int32_t>(result);
  client.Key = random_();
  client.LastHeardUs = context.NowUs;
  client.NextPingUs = context.NowUs;
  clients_.emplace(context.From, client);
  Send(context.From, gamenet::Accepted{client.Id, client.Key});
  const GameSummary summary = context.Game.Summary();
  if (summary.Phase == GamePhase::kPlaying) {
    Send(context.From, gamenet::Level{summary.Level, summary.LevelName});
  }
}

NetHost::Client* NetHost::Sender(std::int32_t clientId, std::uint32_t key, Context& context) {
  const auto found = clients_.find(context.From);
  if (found == clients_.end() || found->second.Id != clientId || found->second.Key != key) {
    ++drops_.Spoofed;
    return nullptr;
  }
  found->second.LastHeardUs = context.NowUs;
  return &found->second;
}

void NetHost::Pong(Client& client, const gamenet::Pong& pong, Context& context) {
  if (client.PingSentUs < 0 || pong.Sequence != client.PingSequence) {
    return;
  }
  const std::int64_t roundTrip = context.NowUs - client.PingSentUs;
  client.PingSentUs = -1;
  client.LastRoundTripUs =
      static_cast<std::uint32_t>(std::min<std::int64_t>(roundTrip, UINT32_MAX));
  client.SmoothedRoundTripUs =
      client.SmoothedRoundTripUs < 0
          ? static_cast<double>(roundTrip)
          : client.SmoothedRoundTripUs +
                kSmoothing * (static_cast<double>(roundTrip) - client.SmoothedRoundTripUs);
  context.Game.SetNetPing(client.Id,
                          static_cast<int>(std::lround(client.SmoothedRoundTripUs / 1000.0)));
}

void NetHost::PingAndTimeOut(SimGame& game, Outbox& out, std::int64_t nowUs) {
  for (auto it = clients_.begin(); it != clients_.end();) {
    Client& client = it->second;
    if (nowUs - client.LastHeardUs > timeoutUs_) {
      Send(it->first, gamenet::Disconnect{gamenet::DisconnectReason::TimedOut});
      game.RemoveNetPlayer(client.Id, "timed out", out);
      it = clients_.erase(it);
      continue;
    }
    if (nowUs >= client.NextPingUs) {
      ++client.PingSequence;
      client.PingSentUs = nowUs;
      client.NextPingUs = nowUs + kPingPeriodUs;
      Send(it->first, gamenet::Ping{client.PingSequence, client.LastRoundTripUs});
    }
    ++it;
  }
}

void NetHost::PlayerKicked(std::int32_t clientId) {
  for (auto it = clients_.begin(); it != clients_.end(); ++it) {
    if (it->second.Id == clientId) {
      Send(it->first, gamenet::Disconnect{gamenet::DisconnectReason::Kicked});
      clients_.erase(it);
      return;
    }
  }
}

void NetHost::LevelStarted(int index, std::string_view name) {
  for (const auto& [address, client] : clients_) {
    Send(address, gamenet::Level{index, std::string(name)});
  }
}

}  // namespace vex::sim
