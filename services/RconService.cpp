#include "services/RconService.h"

#include <QTcpServer>
#include <QTcpSocket>
#include <algorithm>
#include <string_view>
#include <vector>

#include "remote/AddressBlocks.h"
#include "services/MonotonicClock.h"
#include "services/PeerAddress.h"
#include "services/RconConnection.h"
#include "services/TcpListener.h"
#include "services/ThrottledReports.h"

namespace vex::services {

class RconService::Impl {
 public:
  Impl(IRemoteHost& host, RconSettings settings)
      : host_(host),
        settings_(std::move(settings)),
        gate_(settings_.Gate ? settings_.Gate : std::make_shared<remote::SignInGate>("password")),
        reports_("RCON", [this](std::string_view line) { host_.ReportRemoteEvent(line); }) {}

  bool Start(std::string& error) {
    QObject::connect(&server_, &QTcpServer::newConnection, &server_, [this] { AcceptPending(); });
    return ListenForClients(server_, "RCON", settings_.BindAddress, settings_.Port,
                            settings_.MaxConnections, error);
  }

  std::uint16_t Port() const { return server_.serverPort(); }
  remote::SignInCounts SignIns() const { return signIns_; }
  std::size_t ActiveBans() const { return gate_->BannedCount(MonotonicMs()); }

  void ReadNow() {
    // Reading may close a connection, which takes it out of the list.
    const std::vector<RconConnection*> open = connections_;
    for (RconConnection* connection : open) {
      connection->ReadNow();
    }
  }

 private:
  void AcceptPending() {
    while (QTcpSocket* socket = server_.nextPendingConnection()) {
      const QHostAddress address = PlainAddress(socket->peerAddress());
      const std::string key = address.toString().toStdString();
      const std::string peer = PeerText(socket->peerAddress(), socket->peerPort());
      const std::string group = remote::HostGroup(key);
      const auto signingInFromThere = [&](const RconConnection* connection) {
        return !connection->SignedIn() && !connection->Closing() &&
               remote::HostGroup(connection->AddressKey()) == group;
      };
      if (gate_->IsBanned(key, MonotonicMs())) {
        Reject(socket, peer, remote::SignInGate::Reason(remote::SignInGate::Verdict::Banned));
        continue;
      }
      // The clients of one host that have not signed in share its few slots; the one of them
      // waiting longest makes room, so there is always one for the newcomer.
      HasRoom(signingInFromThere, settings_.MaxConnectionsPerAddress);
      if (!HasRoom([](const RconConnection* c) { return !c->Closing(); },
                   settings_.MaxConnections)) {
        Reject(socket, peer, "every slot is taken by a signed-in client");
        continue;
      }
      auto* connection =
          new RconConnection(socket, peer, key, settings_, host_, *gate_, reports_, signIns_);
      connection->setParent(&server_);
      connections_.push_back(connection);
      QObject::connect(connection, &QObject::destroyed, &server_,
                       [this, connection] { std::erase(connections_, connection); });
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

  // The client gets no wrong-password answer: it gave no password, and its tool would tell the
  // operator the password was wrong.
  void Reject(QTcpSocket* socket, const std::string& peer, std::string_view reason) {
    reports_.Report("refused connections",
                    "RCON: refused " + peer + " (" + std::string(reason) + ").");
    socket->abort();
    socket->deleteLater();
  }

  IRemoteHost& host_;
  RconSettings settings_;
  std::shared_ptr<remote::SignInGate> gate_;
  ThrottledReports reports_;
  remote::SignInCounts signIns_;
  std::vector<RconConnection*> connections_;  // oldest first
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

void RconService::ReadNow() {
  impl_->ReadNow();
}

remote::SignInCounts RconService::SignIns() const {
  return impl_->SignIns();
}

std::size_t RconService::ActiveBans() const {
  return impl_->ActiveBans();
}

}  // namespace vex::services
