#include "services/RconService.h"

#include <QTcpServer>
#include <QTcpSocket>
#include <algorithm>
#include <vector>

#include "services/MonotonicClock.h"
#include "services/PeerAddress.h"
#include "services/RconConnection.h"
#include "services/TcpListener.h"

namespace vex::services {

class RconService::Impl {
 public:
  Impl(IRemoteHost& host, RconSettings settings)
      : host_(host),
        settings_(std::move(settings)),
        bans_(settings_.SharedBans ? settings_.SharedBans
                                   : std::make_shared<remote::AuthFailureBans>(settings_.Bans)) {}

  bool Start(std::string& error) {
    QObject::connect(&server_, &QTcpServer::newConnection, &server_, [this] { AcceptPending(); });
    return ListenForClients(server_, "RCON", settings_.BindAddress, settings_.Port,
                            settings_.MaxConnections, error);
  }

  std::uint16_t Port() const { return server_.serverPort(); }
  remote::SignInCounts SignIns() const { return signIns_; }
  std::size_t ActiveBans() const { return bans_->BannedCount(MonotonicMs()); }

 private:
  void AcceptPending() {
    while (QTcpSocket* socket = server_.nextPendingConnection()) {
      const QHostAddress address = PlainAddress(socket->peerAddress());
      const std::string key = address.toString().toStdString();
      const std::string peer = PeerText(socket->peerAddress(), socket->peerPort());
      const std::string group = remote::AuthFailureBans::AddressGroup(key);
      const auto sameAddress = [&](const RconConnection* connection) {
        return remote::AuthFailureBans::AddressGroup(connection->AddressKey()) == group;
      };
      if (bans_->IsBanned(key, MonotonicMs())) {
        Reject(socket, peer, "address banned");
      } else if (!HasRoom(sameAddress, settings_.MaxConnectionsPerAddress)) {
        Reject(socket, peer, "every slot of its address is taken by a signed-in client");
      } else if (!HasRoom([](const RconConnection*) { return true; }, settings_.MaxConnections)) {
        Reject(socket, peer, "every slot is taken by a signed-in client");
      } else {
        auto* connection =
            new RconConnection(socket, peer, key, settings_, host_, *bans_, signIns_);
        connection->setParent(&server_);
        connections_.push_back(connection);
        QObject::connect(connection, &QObject::destroyed, &server_,
                         [this, connection] { std::erase(connections_, connection); });
      }
    }
  }

  // Fewer than `limit` of the connections that `counts` are open, or the one of them that has
  // waited longest without signing in gives up its slot. Everyone behind one tunnel or proxy
  // shares an address, so a stranger there cannot keep the operator out either.
  template <typename Counts>
  bool HasRoom(const Counts& counts, int limit) {
    if (std::count_if(connections_.begin(), connections_.end(), counts) < limit) {
      return true;
    }
    const auto waiting =
        std::find_if(connections_.begin(), connections_.end(),
                     [&](const RconConnection* c) { return counts(c) && !c->SignedIn(); });
    if (waiting == connections_.end()) {
      return false;
    }
    RconConnection* oldest = *waiting;
    connections_.erase(waiting);
    oldest->MakeRoom();
    return true;
  }

  // A flood of connections would otherwise flood the console too: one line a second at most.
  // The client gets no wrong-password answer: it gave no password, and its tool would tell the
  // operator the password was wrong.
  void Reject(QTcpSocket* socket, const std::string& peer, const char* reason) {
    const std::uint64_t now = MonotonicMs();
    if (lastRefusalReport_ == 0 || now - lastRefusalReport_ >= 1000) {
      lastRefusalReport_ = now;
      host_.ReportRemoteEvent("RCON: refused " + peer + " (" + reason + ").");
    }
    socket->abort();
    socket->deleteLater();
  }

  IRemoteHost& host_;
  RconSettings settings_;
  std::shared_ptr<remote::AuthFailureBans> bans_;
  remote::SignInCounts signIns_;
  std::vector<RconConnection*> connections_;  // oldest first
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

}  // namespace vex::services
