#include "services/MetricsService.h"

#include <QTcpServer>
#include <QTcpSocket>
#include <QTimer>
#include <map>

#include "remote/SecretEqual.h"
#include "services/PeerAddress.h"
#include "services/TcpListener.h"
#include "services/WebAnswer.h"

namespace vex::services {

namespace {

constexpr const char* kPlainText = "text/plain; charset=utf-8";
constexpr const char* kExpositionType = "text/plain; version=0.0.4; charset=utf-8";
constexpr std::size_t kReadChunk = 4096;

bool CarriesToken(const remote::HttpRequest& request, const std::string& token) {
  if (token.empty()) {
    return true;
  }
  constexpr std::string_view kScheme = "Bearer ";
  const auto header = request.Header("authorization");
  return header && header->substr(0, kScheme.size()) == kScheme &&
         remote::SecretsEqual(header->substr(kScheme.size()), token);
}

}  // namespace

class MetricsService::Impl {
 public:
  Impl(IMetricsHost& host, MetricsSettings settings)
      : host_(host), settings_(std::move(settings)) {}

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
        Finish(socket, Answer(reader.Request()));
        return;
    }
  }

  std::string Answer(const remote::HttpRequest& request) {
    if (request.Path() != "/metrics") {
      return WebAnswer(404, kPlainText, "Not found; the metrics are at /metrics.\n");
    }
    if (request.Method != "GET") {
      return WebAnswer(405, kPlainText, "Not allowed.\n", "Allow: GET\r\n");
    }
    if (!CarriesToken(request, settings_.Token)) {
      return WebAnswer(401, kPlainText, "Missing or wrong token.\n",
                       "WWW-Authenticate: Bearer realm=\"metrics\"\r\n");
    }
    return WebAnswer(200, kExpositionType, host_.MetricsText());
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

}  // namespace vex::services
