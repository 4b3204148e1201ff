#include "services/MetricsService.h"

#include <QTcpServer>
#include <QTcpSocket>
#include <QTimer>
#include <map>

#include "remote/AddressBlocks.h"
#include "services/MonotonicClock.h"
#include "services/PeerAddress.h"
#include "services/TcpListener.h"
#include "services/ThrottledReports.h"
#include "services/WebAnswer.h"

namespace vex::services {

namespace {

constexpr const char* kPlainText = "text/plain; charset=utf-8";
constexpr const char* kExpositionType = "text/plain; version=0.0.4; charset=utf-8";
constexpr std::size_t kReadChunk = 4096;

// The token of "Authorization: Bearer TOKEN"; empty for another scheme, which no token matches.
std::string_view OfferedToken(std::string_view authorization) {
  constexpr std::string_view kScheme = "Bearer ";
  return authorization.substr(0, kScheme.size()) == kScheme ? authorization.substr(kScheme.size())
                                                            : std::string_view();
}

}  // namespace

class MetricsService::Impl {
 public:
  Impl(IMetricsHost& host, MetricsSettings settings)
      : host_(host),
        settings_(std::move(settings)),
        gate_("token", settings_.Gate),
        reports_("Metrics", [this](std::string_view line) { host_.ReportRemoteEvent(line); }) {}

  ~Impl() {
    for (QTcpSocket* socket : server_.findChildren<QTcpSocket*>()) {
      socket->disconnect();
    }
  }

  bool Start(std::string& error) {
    QObject::connect(&server_, &QTcpServer::newConnection, &server_, [this] { AcceptPending(); });
    return ListenForClients(server_, "Metrics", settings_.BindAddress, settings_.Port,
                            settings_.MaxConnections, error);
  }

  std::uint16_t Port() const { return server_.serverPort(); }
  remote::SignInCounts SignIns() const { return signIns_; }
  std::size_t ActiveBans() const { return gate_.BannedCount(MonotonicMs()); }

 private:
  struct Connection {
    remote::HttpRequestReader Reader;
    std::string AddressKey;
    std::uint64_t Serial = 0;  // the order of acceptance
  };

  void AcceptPending() {
    while (QTcpSocket* socket = server_.nextPendingConnection()) {
      socket->setParent(&server_);
      const std::string key = PlainAddress(socket->peerAddress()).toString().toStdString();
      const std::string group = remote::HostGroup(key);
      MakeRoom([&](const Connection& c) { return remote::HostGroup(c.AddressKey) == group; },
               settings_.MaxConnectionsPerAddress);
      MakeRoom([](const Connection&) { return true; }, settings_.MaxConnections);
      waiting_.emplace(socket,
                       Connection{remote::HttpRequestReader(settings_.Limits), key, ++accepted_});
      socket->setReadBufferSize(static_cast<qint64>(kReadChunk));
      QObject::connect(socket, &QTcpSocket::readyRead, socket, [this, socket] { Read(socket); });
      QObject::connect(socket, &QTcpSocket::disconnected, socket, [this, socket] {
        waiting_.erase(socket);
        socket->deleteLater();
      });
      QTimer::singleShot(settings_.RequestTimeoutMs, socket, [this, socket] {
        if (waiting_.contains(socket)) {
          Finish(socket, WebAnswer(408, kPlainText, "Too slow.\n"));
        }
      });
    }
  }

  // While `limit` or more of the connections waiting for their request are ones that `counts`,
  // the oldest of them gives up its slot: every connection here is still waiting, as an answered
  // one leaves the table.
  template <typename Counts>
  void MakeRoom(const Counts& counts, int limit) {
    for (;;) {
      int counted = 0;
      auto oldest = waiting_.end();
      for (auto it = waiting_.begin(); it != waiting_.end(); ++it) {
        if (counts(it->second)) {
          ++counted;
          if (oldest == waiting_.end() || it->second.Serial < oldest->second.Serial) {
            oldest = it;
          }
        }
      }
      if (counted < limit || oldest == waiting_.end()) {
        return;
      }
      QTcpSocket* socket = oldest->first;
      waiting_.erase(oldest);
      socket->abort();
      socket->deleteLater();
    }
  }

  void Read(QTcpSocket* socket) {
    const auto found = waiting_.find(socket);
    if (found == waiting_.end()) {
      socket->readAll();
      return;
    }
    remote::HttpRequestReader& reader = found->second.Reader;
    while (socket->bytesAvailable() > 0 &&
           reader.Current() == remote::HttpRequestReader::State::Reading) {
      const QByteArray bytes = socket->read(static_cast<qint64>(kReadChunk));
      reader.Feed(std::string_view(bytes.constData(), static_cast<std::size_t>(bytes.size())));
    }
    switch (reader.Current()) {
      case remote::HttpRequestReader::State::Reading:
        return;
      case remote::HttpRequestReader::State::Failed:
        Finish(socket, WebAnswer(reader.FailureStatus(), kPlainText, "Refused.\n"));
        return;
      case remote::HttpRequestReader::State::Complete:
        Finish(socket, Answer(socket, found->second.AddressKey, reader.Request()));
        return;
    }
  }

  std::string Answer(QTcpSocket* socket, const std::string& address,
                     const remote::HttpRequest& request) {
    using Verdict = remote::SignInGate::Verdict;
    const std::uint64_t now = MonotonicMs();
    if (gate_.IsBanned(address, now)) {
      return Refusal(Verdict::Banned);
    }
    if (request.Path() != "/metrics") {
      return WebAnswer(404, kPlainText, "Not found; the metrics are at /metrics.\n");
    }
    if (request.Method != "GET") {
      return WebAnswer(405, kPlainText, "Not allowed.\n", "Allow: GET\r\n");
    }
    if (settings_.Token.empty()) {
      return WebAnswer(200, kExpositionType, host_.MetricsText());
    }
    // Only a request that offers a token is a guess: a scrape configured without one is a
    // mistake that should not ban its address.
    const auto authorization = request.Header("authorization");
    if (!authorization) {
      return Unauthorized("Missing token.\n");
    }
    const std::string peer = PeerText(socket->peerAddress(), socket->peerPort());
    const remote::SignInGate::Outcome outcome =
        gate_.Try({"Metrics", address, peer, OfferedToken(*authorization)}, settings_.Token, now);
    switch (outcome.Result) {
      case Verdict::SignedIn:
        ++signIns_.Succeeded;
        return WebAnswer(200, kExpositionType, host_.MetricsText());
      case Verdict::Wrong:
        ++signIns_.Failed;
        reports_.Report(outcome.BannedNow ? "bans" : "wrong tokens", outcome.Report);
        return Unauthorized("Wrong token.\n");
      case Verdict::Banned:
      case Verdict::Busy:
        break;
    }
    return Refusal(outcome.Result);
  }

  std::string Refusal(remote::SignInGate::Verdict verdict) const {
    const bool banned = verdict == remote::SignInGate::Verdict::Banned;
    return WebAnswer(banned ? 429 : 503, kPlainText, gate_.Advice(verdict) + "\n",
                     banned ? "" : "Retry-After: 1\r\n");
  }

  static std::string Unauthorized(const char* text) {
    return WebAnswer(401, kPlainText, text, "WWW-Authenticate: Bearer realm=\"metrics\"\r\n");
  }

  // Nothing more is read from a connection once it has its answer, and a client that does not
  // take the answer loses its slot all the same.
  void Finish(QTcpSocket* socket, const std::string& answer) {
    waiting_.erase(socket);
    socket->readAll();
    socket->write(answer.data(), static_cast<qint64>(answer.size()));
    QObject::connect(socket, &QTcpSocket::disconnected, socket, &QObject::deleteLater,
                     Qt::UniqueConnection);
    QTimer::singleShot(settings_.RequestTimeoutMs, socket, [socket] { socket->abort(); });
    socket->disconnectFromHost();
    if (socket->state() == QAbstractSocket::UnconnectedState) {
      socket->deleteLater();
    }
  }

  IMetricsHost& host_;
  MetricsSettings settings_;
  remote::SignInGate gate_;
  ThrottledReports reports_;
  remote::SignInCounts signIns_;
  std::map<QTcpSocket*, Connection> waiting_;
  std::uint64_t accepted_ = 0;
  QTcpServer server_;
};

MetricsService::MetricsService(IMetricsHost& host, MetricsSettings settings)
    : impl_(std::make_unique<Impl>(host, std::move(settings))) {}
MetricsService::~MetricsService() = default;

bool MetricsService::Start(std::string& error) {
  return impl_->Start(error);
}
std::uint16_t MetricsService::Port() const {
  return impl_->Port();
}
remote::SignInCounts MetricsService::SignIns() const {
  return impl_->SignIns();
}
std::size_t MetricsService::ActiveBans() const {
  return impl_->ActiveBans();
}

}  // namespace vex::services
