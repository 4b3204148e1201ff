#include "services/RconConnection.h"

#include <QPointer>
#include <QTcpSocket>
#include <algorithm>
#include <string_view>

#include "services/MonotonicClock.h"
#include "services/RconService.h"

namespace vex::services {

namespace {

// A client may send its next requests before the answers come; while this many wait, nothing
// more is read from it, so its further requests wait in the kernel and then in the client.
constexpr std::size_t kMostWaitingRequests = 16;
// A client that does not read its answers is dropped before its unread output grows past this.
constexpr std::size_t kMostUnreadBytes = 1 << 20;
constexpr qint64 kReadChunk = 8192;
constexpr qint64 kReadAhead = 64 * 1024;
// The body of the packet that follows the mirrored end marker: clients that send the marker
// know the answer before it is complete when this arrives.
constexpr std::string_view kEndOfAnswerBody("\x00\x01\x00\x00", 4);
// Between two packets to a client (services/PacedWriter.h).
constexpr int kPacketPauseMs = 100;

}  // namespace

RconConnection::RconConnection(QTcpSocket* socket, std::string peer, std::string addressKey,
                               const RconSettings& settings, IRemoteHost& host,
                               remote::SignInGate& gate, ThrottledReports& strangerReports,
                               remote::SignInCounts& signIns)
    : socket_(socket),
      writer_(socket->socketDescriptor(), kPacketPauseMs),
      peer_(std::move(peer)),
      addressKey_(std::move(addressKey)),
      settings_(settings),
      host_(host),
      gate_(gate),
      strangerReports_(strangerReports),
      signIns_(signIns) {
  socket_->setParent(this);
  // Qt reads ahead of the reader only this far; a client that floods waits in the kernel.
  socket_->setReadBufferSize(kReadAhead);
  idle_.setSingleShot(true);
  idle_.setInterval(settings_.SignInTimeoutMs);
  QObject::connect(&idle_, &QTimer::timeout, this,
                   [this] { Drop(authenticated_ ? "idle" : "did not sign in in time"); });
  QObject::connect(socket_, &QTcpSocket::readyRead, this, [this] { ReadAvailable(); });
  QObject::connect(socket_, &QTcpSocket::disconnected, this, [this] { PeerFinishedSending(); });
  QObject::connect(socket_, &QTcpSocket::errorOccurred, this, [this] {
    if (socket_->state() == QAbstractSocket::UnconnectedState) {
      PeerFinishedSending();
    }
  });
  if (!writer_.Usable()) {
    Drop("no descriptor to answer on");
    return;
  }
  idle_.start();
}

// The end of the client's stream: it may have shut only its sending side and still wait for
// the answers to what it sent, so those are served before the connection closes. A client that
// is gone altogether makes the writes fail, which ends it too.
void RconConnection::PeerFinishedSending() {
  if (closing_ || peerFinished_) {
    return;
  }
  peerFinished_ = true;
  ReadAvailable();
  FinishIfDone();
}

void RconConnection::FinishIfDone() {
  if (closing_ || !peerFinished_ || commandRunning_ || !requests_.empty()) {
    return;
  }
  closing_ = true;
  idle_.stop();
  writer_.CloseWhenWritten([this] { deleteLater(); });
}

void RconConnection::ReadNow() {
  if (!closing_) {
    socket_->waitForReadyRead(0);
  }
}

void RconConnection::ReadAvailable() {
  char chunk[kReadChunk];
  while (!closing_ && TakeBufferedRequests() && socket_->bytesAvailable() > 0) {
    const qint64 got = socket_->read(chunk, kReadChunk);
    if (got <= 0) {
      break;
    }
    reader_.Feed(std::string_view(chunk, static_cast<std::size_t>(got)));
  }
  if (!closing_ && reader_.Error() != remote::RconReadError::None) {
    Drop(remote::RconReadErrorText(reader_.Error()));
    return;
  }
  Serve();
  FinishIfDone();
}

// Moves the packets the reader holds to the queue while it has room; false when it is full.
bool RconConnection::TakeBufferedRequests() {
  while (requests_.size() < kMostWaitingRequests) {
    auto packet = reader_.Next();
    if (!packet) {
      return true;
    }
    // Only whole packets count as activity, so a client trickling bytes is still dropped.
    idle_.start();
    requests_.push_back(std::move(*packet));
  }
  readPaused_ = true;
  return false;
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
      // The empty response value a client sends after a command comes back once the answers
      // before it are out, followed by the packet that only ever ends an answer.
      Send(remote::EncodeRconPacket(packet.Id, remote::kRconResponseValue, ""));
      Send(remote::EncodeRconPacket(packet.Id, remote::kRconResponseValue, kEndOfAnswerBody));
    }
  }
  // The queue has room again: what the client sent meanwhile is read now.
  if (readPaused_ && !closing_ && requests_.size() < kMostWaitingRequests) {
    readPaused_ = false;
    QMetaObject::invokeMethod(
        this, [this] { ReadAvailable(); }, Qt::QueuedConnection);
  }
}

void RconConnection::Authenticate(const remote::RconPacket& packet) {
  using Verdict = remote::SignInGate::Verdict;
  const remote::SignInGate::Outcome outcome =
      gate_.Try({"RCON", addressKey_, peer_, packet.Body}, settings_.Password, MonotonicMs());
  switch (outcome.Result) {
    case Verdict::SignedIn:
      authenticated_ = true;
      ++signIns_.Succeeded;
      idle_.setInterval(settings_.IdleTimeoutMs);
      idle_.start();
      // As the reference servers answer: an empty response value, then the verdict.
      Send(remote::EncodeRconPacket(packet.Id, remote::kRconResponseValue, ""));
      Send(remote::EncodeRconPacket(packet.Id, remote::kRconAuthResponse, ""));
      host_.ReportRemoteEvent("RCON: " + peer_ + " signed in.");
      return;
    case Verdict::Wrong:
      ++signIns_.Failed;
      strangerReports_.Report(outcome.BannedNow ? "bans" : "wrong passwords", outcome.Report);
      // The empty response value of a refusal carries the failure's id as well: a client that
      // takes the first packet after its sign-in for the verdict then does not take it for a
      // success.
      Send(remote::EncodeRconPacket(remote::kRconAuthFailedId, remote::kRconResponseValue, ""));
      Refuse();
      return;
    case Verdict::Banned:
    case Verdict::Busy:
      // A ban that came after the connection did still counts, and so does the budget; either
      // closes without the wrong-password answer, as no password was tried.
      Drop(remote::SignInGate::Reason(outcome.Result));
      return;
  }
}

void RconConnection::Execute(const remote::RconPacket& packet) {
  commandRunning_ = true;
  QPointer<RconConnection> self(this);
  const std::int32_t id = packet.Id;
  host_.RunRemoteCommand(packet.Body, "RCON " + peer_, [self, id](remote::CommandOutput output) {
    if (self == nullptr) {
      return;
    }
    self->commandRunning_ = false;
    self->Answer(id, output.Text);
    self->Serve();
    self->FinishIfDone();
  });
}

void RconConnection::Answer(std::int32_t id, const std::string& text) {
  for (const std::string& body : remote::SplitRconAnswer(text)) {
    Send(remote::EncodeRconPacket(id, remote::kRconResponseValue, body));
  }
}

void RconConnection::Send(std::string bytes) {
  if (closing_) {
    return;
  }
  writer_.Write(std::move(bytes));
  if (!writer_.Usable()) {
    Close();
  } else if (writer_.Pending() > kMostUnreadBytes) {
    Drop("not reading its answers");
  }
}

void RconConnection::Refuse() {
  idle_.stop();
  Send(remote::EncodeRconPacket(remote::kRconAuthFailedId, remote::kRconAuthResponse, ""));
  requests_.clear();
  closing_ = true;
  socket_->abort();
  writer_.CloseWhenWritten([this] { deleteLater(); });
}

void RconConnection::Drop(std::string_view reason) {
  if (closing_) {
    return;
  }
  std::string line = "RCON: closed the connection of " + peer_ + " (" + std::string(reason) + ").";
  if (authenticated_) {
    host_.ReportRemoteEvent(line);
  } else {
    strangerReports_.Report("closed connections", std::move(line));
  }
  Close();
}

// At once, whatever is still unsent: the client is gone or is being sent away.
void RconConnection::Close() {
  closing_ = true;
  requests_.clear();
  idle_.stop();
  writer_.Close();
  socket_->abort();
  deleteLater();
}

}  // namespace vex::services
