#include "framework/net/RconConnection.h"

#include <QPointer>
#include <QTcpSocket>
#include <algorithm>
#include <string_view>

#include "framework/net/MonotonicClock.h"
#include "framework/net/RconService.h"
#include "remote/SecretEqual.h"

namespace vex::fw::net {

namespace {

// A client may send its next requests before the answers come; more than this many waiting
// is a flood, not a console session.
constexpr std::size_t kMostWaitingRequests = 16;
// A client that does not read its answers is dropped before its unread output grows past this.
constexpr qint64 kMostUnreadBytes = 1 << 20;
constexpr qint64 kReadChunk = 8192;
constexpr qint64 kReadAhead = 64 * 1024;
// Some clients read one packet per socket read and take the whole read for that packet, so the
// packets of one long answer go out one at a time: the next when the client has sent something
// again (such clients ask for the next part after each large packet) or after this pause.
constexpr int kPacePauseMs = 1000;

}  // namespace

RconConnection::RconConnection(QTcpSocket* socket, std::string peer, std::string addressKey,
                               const RconSettings& settings, IRemoteHost& host,
                               remote::AuthFailureBans& bans)
    : socket_(socket),
      peer_(std::move(peer)),
      addressKey_(std::move(addressKey)),
      settings_(settings),
      host_(host),
      bans_(bans) {
  socket_->setParent(this);
  // Qt reads ahead of the reader only this far; a client that floods waits in the kernel.
  socket_->setReadBufferSize(kReadAhead);
  idle_.setSingleShot(true);
  idle_.setInterval(settings_.IdleTimeoutMs);
  pace_.setSingleShot(true);
  pace_.setInterval(kPacePauseMs);
  QObject::connect(&idle_, &QTimer::timeout, this, [this] { Drop("idle"); });
  QObject::connect(&pace_, &QTimer::timeout, this, [this] { Flush(); });
  QObject::connect(socket_, &QTcpSocket::readyRead, this, [this] { ReadAvailable(); });
  // A command still running when the client goes finds a closing connection and writes nothing.
  QObject::connect(socket_, &QTcpSocket::disconnected, this, [this] {
    closing_ = true;
    deleteLater();
  });
  QObject::connect(socket_, &QTcpSocket::errorOccurred, this, [this] {
    if (socket_->state() == QAbstractSocket::UnconnectedState) {
      closing_ = true;
      deleteLater();
    }
  });
  idle_.start();
}

void RconConnection::ReadAvailable() {
  bool spokeWhilePaced = false;
  char chunk[kReadChunk];
  while (!closing_ && socket_->bytesAvailable() > 0) {
    const qint64 got = socket_->read(chunk, kReadChunk);
    if (got <= 0) {
      break;
    }
    reader_.Feed(std::string_view(chunk, static_cast<std::size_t>(got)));
    while (auto packet = reader_.Next()) {
      // Only whole packets count as activity, so a client trickling bytes is still dropped.
      idle_.start();
      spokeWhilePaced = spokeWhilePaced || pace_.isActive();
      requests_.push_back(std::move(*packet));
      if (requests_.size() > kMostWaitingRequests) {
        Drop("too many requests waiting");
        return;
      }
    }
    if (reader_.Error() != remote::RconReadError::None) {
      Drop(remote::RconReadErrorText(reader_.Error()));
      return;
    }
  }
  Serve();
  // Released after the requests were served, so that the end markers answering them go out in
  // the same write as the last packet of the answer: a client that reads one packet per read
  // ends its command on that packet, and a marker arriving on its own later would end the next.
  if (spokeWhilePaced && pace_.isActive()) {
    pace_.stop();
    Flush();
  }
}

void RconConnection::Serve() {
  while (!closing_ && !commandRunning_ && !requests_.empty()) {
    remote::RconPacket packet = std::move(requests_.front());
    requests_.pop_front();
    if (packet.Type == remote::kRconAuth) {
      Authenticate(packet);
    } else if (!authenticated_) {
      Refuse();
    } else if (packet.Type == remote::kRconExecCommand) {
      Execute(packet);
    } else {
      // The empty response value a client sends after a command comes back unchanged once the
      // answers before it are out, which tells the client that the answer is complete.
      Queue(remote::EncodeRconPacket(packet.Id, remote::kRconResponseValue, ""), false);
    }
  }
}

void RconConnection::Authenticate(const remote::RconPacket& packet) {
  if (remote::SecretsEqual(packet.Body, settings_.Password)) {
    authenticated_ = true;
    // Only the auth response, without the empty response value that some servers send first:
    // one client named here takes the first packet after its auth for the verdict, another reads
    // one packet per socket read and would lose the verdict behind it.
    Queue(remote::EncodeRconPacket(packet.Id, remote::kRconAuthResponse, ""), false);
    host_.ReportRemoteEvent("RCON: " + peer_ + " signed in.");
    return;
  }
  std::string report = "RCON: wrong password from " + peer_ + ".";
  if (bans_.RecordFailure(addressKey_, MonotonicMs())) {
    report +=
        " The address is banned for " + std::to_string(settings_.Bans.BanMs / 60'000) + " minutes.";
  }
  host_.ReportRemoteEvent(report);
  Refuse();
}

void RconConnection::Execute(const remote::RconPacket& packet) {
  commandRunning_ = true;
  QPointer<RconConnection> self(this);
  const std::int32_t id = packet.Id;
  host_.RunRemoteCommand(packet.Body, "RCON " + peer_, [self, id](std::string text) {
    if (self == nullptr) {
      return;
    }
    self->commandRunning_ = false;
    // A client that sent the end marker with its command reads the answer as a stream.
    const bool markerWaiting =
        std::any_of(self->requests_.begin(), self->requests_.end(),
                    [](const auto& next) { return next.Type == remote::kRconResponseValue; });
    self->Answer(id, text, !markerWaiting);
    self->Serve();
  });
}

void RconConnection::Answer(std::int32_t id, const std::string& text, bool paced) {
  const std::vector<std::string> bodies = remote::SplitRconAnswer(text);
  for (std::size_t i = 0; i < bodies.size(); ++i) {
    Queue(remote::EncodeRconPacket(id, remote::kRconResponseValue, bodies[i]),
          paced && i + 1 < bodies.size());
  }
}

void RconConnection::Queue(std::string bytes, bool moreOfAnswer) {
  if (closing_) {
    return;
  }
  outbox_.push_back({std::move(bytes), moreOfAnswer});
  if (!pace_.isActive()) {
    Flush();
  }
}

void RconConnection::Flush() {
  while (!closing_ && !outbox_.empty()) {
    Outgoing next = std::move(outbox_.front());
    outbox_.pop_front();
    socket_->write(next.Bytes.data(), static_cast<qint64>(next.Bytes.size()));
    if (next.MoreOfAnswer) {
      pace_.start();
      break;
    }
  }
  if (socket_->bytesToWrite() > kMostUnreadBytes) {
    Drop("not reading its answers");
  }
}

// What the protocol says to a client that is not signed in: an auth response with the failure
// id, after what was still on its way. The connection closes once that is out.
void RconConnection::Refuse() {
  pace_.stop();
  idle_.stop();
  outbox_.push_back(
      {remote::EncodeRconPacket(remote::kRconAuthFailedId, remote::kRconAuthResponse, ""), false});
  for (const Outgoing& next : outbox_) {
    socket_->write(next.Bytes.data(), static_cast<qint64>(next.Bytes.size()));
  }
  outbox_.clear();
  requests_.clear();
  closing_ = true;
  socket_->disconnectFromHost();
}

void RconConnection::Drop(std::string_view reason) {
  if (closing_) {
    return;
  }
  closing_ = true;
  host_.ReportRemoteEvent("RCON: closed the connection of " + peer_ + " (" + std::string(reason) +
                          ").");
  requests_.clear();
  outbox_.clear();
  idle_.stop();
  pace_.stop();
  socket_->abort();
  deleteLater();
}

}  // namespace vex::fw::net
