#include "services/MetricsService.h"

#include <QTcpServer>
#include <QTcpSocket>
#include <QTimer>
#include <map>

#include "remote/SecretEqual.h"
#include "services/MonotonicClock.h"
#include "services/PeerAddress.h"
#include "services/TcpListener.h"
#include "services/WebAnswer.h"

namespace vex::services {

namespace {

constexpr const char* kPlainText = "text/plain; charset=utf-8";
constexpr const char* kExpositionType = "text/plain; version=0.0.4; charset=utf-8";
constexpr std::size_t kReadChunk = 4096;

bool CarriesToken(std::string_view authorization, const std::string& token) {
  constexpr std::string_view kScheme = "Bearer ";
  return authorization.substr(0, kScheme.size()) == kScheme &&
         remote::SecretsEqual(authorization.substr(kScheme.size()), token);
}

}  // namespace

class MetricsService::Impl {
 public:
  Impl(IMetricsHost& host, MetricsSettings settings)
      : host_(host),
        settings_(std::move(settings)),
        bans_(settings_.SharedBans ? settings_.SharedBans
                                   : std::make_shared<remote::AuthFailureBans>(settings_.Bans)) {}

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

 private:
  void AcceptPending() {
    while (QTcpSocket* socket = server_.nextPendingConnection()) {
      socket->setParent(&server_);
      if (static_cast<int>(readers_.size()) >= settings_.MaxConnections) {
        Finish(socket, WebAnswer(503, kPlainText, "Too many connections.\n"));
        continue;
      }
      readers_.emplace(socket, remote::HttpRequestReader(settings_.Limits));
      socket->setReadBufferSize(static_cast<qint64>(kReadChunk));
      QObject::connect(socket, &QTcpSocket::readyRead, socket, [this, socket] { Read(socket); });
      QObject::connect(socket, &QTcpSocket::disconnected, socket, [this, socket] {
        readers_.erase(socket);
        socket->deleteLater();
      });
      QTimer::singleShot(settings_.RequestTimeoutMs, socket, [this, socket] {
        if (readers_.contains(socket)) {
          Finish(socket, WebAnswer(408, kPlainText, "Too slow.\n"));
        }
      });
    }
  }

  void Read(QTcpSocket* socket) {
    const auto found = readers_.find(socket);
    if (found == readers_.end()) {
      socket->readAll();
      return;
    }
    remote::HttpRequestReader& reader = found->second;
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
        Finish(socket, Answer(socket, reader.Request()));
        return;
    }
  }

  std::string Answer(QTcpSocket* socket, const remote::HttpRequest& request) {
    const std::string address = PlainAddress(socket->peerAddress()).toString().toStdString();
    const std::uint64_t now = MonotonicMs();
    if (bans_->IsBanned(address, now)) {
      return WebAnswer(429, kPlainText, "Too many wrong tokens or passwords. Try again later.\n");
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
    // mistake that should not ban its address from the other services.
    const auto authorization = request.Header("authorization");
    if (!authorization) {
      return Unauthorized("Missing token.\n");
    }
    if (!bans_->TakeAttempt(now)) {
      return WebAnswer(429, kPlainText, "Too many sign-in attempts. Try again later.\n");
    }
    if (!CarriesToken(*authorization, settings_.Token)) {
      ++signIns_.Failed;
      std::string report =
          "Metrics: wrong token from " + PeerText(socket->peerAddress(), socket->peerPort()) + ".";
      if (bans_->RecordFailure(address, now)) {
        report += " Its address is banned for a while.";
      }
      host_.ReportRemoteEvent(report);
      return Unauthorized("Wrong token.\n");
    }
    ++signIns_.Succeeded;
    return WebAnswer(200, kExpositionType, host_.MetricsText());
  }

  static std::string Unauthorized(const char* text) {
    return WebAnswer(401, kPlainText, text, "WWW-Authenticate: Bearer realm=\"metrics\"\r\n");
  }

  // Nothing more is read from a connection once it has its answer, and a client that does not
  // take the answer loses its slot all the same.
  void Finish(QTcpSocket* socket, const std::string& answer) {
    readers_.erase(socket);
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
  std::shared_ptr<remote::AuthFailureBans> bans_;
  remote::SignInCounts signIns_;
  std::map<QTcpSocket*, remote::HttpRequestReader> readers_;
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

}  // namespace vex::services
