#include "framework/net/RconService.h"

#include <QTcpServer>
#include <QTcpSocket>

#include "framework/net/MonotonicClock.h"
#include "framework/net/PeerAddress.h"
#include "framework/net/RconConnection.h"
#include "remote/RconPacket.h"

namespace vex::fw::net {

class RconService::Impl {
 public:
  Impl(IRemoteHost& host, RconSettings settings)
      : host_(host), settings_(std::move(settings)), bans_(settings_.Bans) {}

  bool Start(std::string& error) {
    QHostAddress address;
    if (!ListenAddress(settings_.BindAddress, address)) {
      error = "RCON: " + settings_.BindAddress + " is not an address to listen on.";
      return false;
    }
    // Pending connections beyond the kernel's backlog wait there, not in this process.
    server_.setMaxPendingConnections(settings_.MaxConnections);
    QObject::connect(&server_, &QTcpServer::newConnection, &server_, [this] { AcceptPending(); });
    if (!server_.listen(address, settings_.Port)) {
      error = "RCON: cannot listen on TCP port " + std::to_string(settings_.Port) + ": " +
              server_.errorString().toStdString();
      return false;
    }
    return true;
  }

  std::uint16_t Port() const { return server_.serverPort(); }
  remote::SignInCounts SignIns() const { return signIns_; }
  std::size_t ActiveBans() const { return bans_.BannedCount(MonotonicMs()); }

 private:
  void AcceptPending() {
    while (QTcpSocket* socket = server_.nextPendingConnection()) {
      const QHostAddress address = PlainAddress(socket->peerAddress());
      const std::string key = address.toString().toStdString();
      const std::string peer = PeerText(socket->peerAddress(), socket->peerPort());
      if (bans_.IsBanned(key, MonotonicMs())) {
        Reject(socket, peer, "banned");
      } else if (open_ >= settings_.MaxConnections) {
        Reject(socket, peer, "too many connections");
      } else {
        auto* connection = new RconConnection(socket, peer, key, settings_, host_, bans_, signIns_);
        connection->setParent(&server_);
        ++open_;
        QObject::connect(connection, &QObject::destroyed, &server_, [this] { --open_; });
      }
    }
  }

  // A flood of connections would otherwise flood the console too: one line a second at most.
  void Reject(QTcpSocket* socket, const std::string& peer, const char* reason) {
    const std::uint64_t now = MonotonicMs();
    if (lastRefusalReport_ == 0 || now - lastRefusalReport_ >= 1000) {
      lastRefusalReport_ = now;
      host_.ReportRemoteEvent("RCON: refused " + peer + " (" + reason + ").");
    }
    // The answer to a client that is not signed in; clients that wait for one would otherwise
    // wait for nothing.
    const std::string refusal =
        remote::EncodeRconPacket(remote::kRconAuthFailedId, remote::kRconAuthResponse, "");
    socket->write(refusal.data(), static_cast<qint64>(refusal.size()));
    QObject::connect(socket, &QTcpSocket::disconnected, socket, &QObject::deleteLater);
    socket->disconnectFromHost();
  }

  IRemoteHost& host_;
  RconSettings settings_;
  remote::AuthFailureBans bans_;
  remote::SignInCounts signIns_;
  int open_ = 0;
  std::uint64_t lastRefusalReport_ = 0;
  // Last, so that its connections, which use the members above, are deleted first.
  QTcpServer server_;
};

RconService::RconService(IRemoteHost& host, RconSettings settings)
    : impl_(std::make_unique<Impl>(host, std::move(settings))) {}

RconService::~RconService() = default;

bool RconService::Start(std::string& error) {
  return impl_->Start(error);
}

std::uint16_t RconService::Port() const {
  return impl_->Port();
}

remote::SignInCounts RconService::SignIns() const {
  return impl_->SignIns();
}

std::size_t RconService::ActiveBans() const {
  return impl_->ActiveBans();
}

}  // namespace vex::fw::net
