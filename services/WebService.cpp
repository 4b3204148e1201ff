#include "services/WebService.h"

#include <sys/socket.h>

#include <QPointer>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTimer>
#include <deque>
#include <map>

#include "remote/AddressBlocks.h"
#include "remote/JsonWriter.h"
#include "remote/SecretEqual.h"
#include "remote/WebOrigin.h"
#include "remote/WebSessions.h"
#include "services/MonotonicClock.h"
#include "services/PeerAddress.h"
#include "services/TcpListener.h"
#include "services/ThrottledReports.h"
#include "services/WebAnswer.h"

namespace vex::services {

namespace {

constexpr std::string_view kCookieName = "vexweb";
constexpr std::size_t kReadChunk = 4096;

// The console line as one event of the stream.
std::string ConsoleEvent(std::string_view line, bool operatorLine) {
  remote::JsonWriter json;
  json.BeginObject().Key("text").String(line).Key("operator").Bool(operatorLine).EndObject();
  return "event: console\ndata: " + json.Take() + "\n\n";
}

std::string StateEvent(const std::string& json) {
  return "event: state\ndata: " + json + "\n\n";
}

// Resets the connection and drops its unsent bytes in the kernel too: closed plainly, a socket
// whose reader takes nothing would keep them, and the connection, for a minute or more.
void AbortNow(QTcpSocket* socket) {
  const linger resetAtOnce{1, 0};
  setsockopt(static_cast<int>(socket->socketDescriptor()), SOL_SOCKET, SO_LINGER, &resetAtOnce,
             sizeof resetAtOnce);
  socket->abort();
}

}  // namespace

class WebService::Impl {
 public:
  Impl(IWebHost& host, WebSettings settings)
      : host_(host),
        settings_(std::move(settings)),
        gate_(settings_.Gate ? settings_.Gate : std::make_shared<remote::SignInGate>("password")),
        reports_("Web page", [this](std::string_view line) { host_.ReportRemoteEvent(line); }),
        sessions_(settings_.Sessions) {}

  ~Impl() {
    // The sockets go with the server object; their handlers must not run into freed members.
    for (QTcpSocket* socket : server_.findChildren<QTcpSocket*>()) {
      socket->disconnect();
    }
  }

  bool Start(std::string& error) {
    QObject::connect(&server_, &QTcpServer::newConnection, &server_, [this] { AcceptPending(); });
    return ListenForClients(server_, "Web page", settings_.BindAddress, settings_.Port,
                            settings_.MaxConnections, error);
  }

  std::uint16_t Port() const { return server_.serverPort(); }

  void ConsoleLine(std::string_view line, bool operatorLine) {
    console_.push_back(ConsoleEvent(line, operatorLine));
    while (console_.size() > settings_.ConsoleLinesKept) {
      console_.pop_front();
    }
    Broadcast(console_.back());
  }

  remote::SignInCounts SignIns() const { return signIns_; }
  std::size_t ActiveBans() const { return gate_->BannedCount(MonotonicMs()); }
  std::size_t ActiveSessions() const { return sessions_.ActiveCount(MonotonicMs()); }

  void PublishState() {
    const std::uint64_t now = MonotonicMs();
    EndStreamsOfEndedSessions(now);
    if (streams_.empty()) {
      return;
    }
    for (const auto& [socket, connection] : connections_) {
      if (connection.Streaming) {
        sessions_.Find(connection.SessionId, now);
      }
    }
    std::string json = host_.WebStateJson();
    if (json == lastState_) {
      return;
    }
    lastState_ = std::move(json);
    Broadcast(StateEvent(lastState_));
  }

 private:
  struct Connection {
    std::string AddressKey;
    std::string Peer;
    remote::HttpRequestReader Reader;
    std::uint64_t Serial = 0;  // the order of acceptance
    std::string SessionId;     // of an event stream
    bool Streaming = false;
    bool Answered = false;
  };

  void AcceptPending() {
    while (QTcpSocket* socket = server_.nextPendingConnection()) {
      socket->setParent(&server_);
      const std::string key = PlainAddress(socket->peerAddress()).toString().toStdString();
      const std::string group = remote::HostGroup(key);
      const auto sameAddress = [&](const Connection& c) {
        return remote::HostGroup(c.AddressKey) == group;
      };
      if (!HasRoom(sameAddress, settings_.MaxConnectionsPerAddress) ||
          !HasRoom([](const Connection&) { return true; }, settings_.MaxConnections)) {
        Send(socket, PlainAnswer(503, "Too many connections.\n"));
        Close(socket);
        continue;
      }
      Connection& connection = connections_[socket];
      connection.Serial = ++accepted_;
      connection.AddressKey = key;
      connection.Peer = PeerText(socket->peerAddress(), socket->peerPort());
      connection.Reader = remote::HttpRequestReader(settings_.Limits);
      socket->setReadBufferSize(static_cast<qint64>(kReadChunk));
      QObject::connect(socket, &QTcpSocket::readyRead, socket, [this, socket] { Read(socket); });
      QObject::connect(socket, &QTcpSocket::disconnected, socket,
                       [this, socket] { Forget(socket); });
      // A request must be complete in time: a client sending a byte a second holds no slot long.
      QTimer::singleShot(settings_.RequestTimeoutMs, socket, [this, socket] {
        const auto found = connections_.find(socket);
        if (found != connections_.end() && !found->second.Streaming &&
            found->second.Reader.Current() == remote::HttpRequestReader::State::Reading) {
          Send(socket, PlainAnswer(408, "Too slow.\n"));
          Close(socket);
        }
      });
    }
  }

  // Fewer than `limit` of the connections that `counts` are open, or the oldest of them still
  // waiting for its request gives up its slot (answered and streaming ones keep theirs).
  template <typename Counts>
  bool HasRoom(const Counts& counts, int limit) {
    int counted = 0;
    QTcpSocket* oldest = nullptr;
    std::uint64_t oldestSerial = 0;
    for (const auto& [socket, connection] : connections_) {
      if (!counts(connection)) {
        continue;
      }
      ++counted;
      const bool waiting = !connection.Streaming && !connection.Answered;
      if (waiting && (oldest == nullptr || connection.Serial < oldestSerial)) {
        oldest = socket;
        oldestSerial = connection.Serial;
      }
    }
    if (counted < limit) {
      return true;
    }
    if (oldest == nullptr) {
      return false;
    }
    oldest->abort();
    Forget(oldest);
    return true;
  }

  void Read(QTcpSocket* socket) {
    const auto found = connections_.find(socket);
    if (found == connections_.end()) {
      socket->readAll();
      return;
    }
    Connection& connection = found->second;
    while (socket->bytesAvailable() > 0 &&
           connection.Reader.Current() == remote::HttpRequestReader::State::Reading) {
      const QByteArray bytes = socket->read(static_cast<qint64>(kReadChunk));
      connection.Reader.Feed(
          std::string_view(bytes.constData(), static_cast<std::size_t>(bytes.size())));
    }
    switch (connection.Reader.Current()) {
      case remote::HttpRequestReader::State::Reading:
        return;
      case remote::HttpRequestReader::State::Failed: {
        const int status = connection.Reader.FailureStatus();
        Send(socket, PlainAnswer(status, std::string(ReasonPhrase(status)) + ".\n"));
        Close(socket);
        return;
      }
      case remote::HttpRequestReader::State::Complete:
        // Nothing more is read from it: what a client sends after its request is not looked at.
        socket->readAll();
        if (!connection.Streaming && !connection.Answered) {
          connection.Answered = true;
          Answer(socket, connection);
        }
        return;
    }
  }

  void Answer(QTcpSocket* socket, Connection& connection) {
    const remote::HttpRequest& request = connection.Reader.Request();
    const std::string_view path = request.Path();
    const std::uint64_t now = MonotonicMs();
    if (!remote::HostAllowed(request, settings_.HostNames)) {
      Finish(socket, PlainAnswer(421, "Not a name of this page.\n"));
      return;
    }
    const remote::WebSessions::Session* session = nullptr;
    if (const auto cookies = request.Header("cookie")) {
      if (const auto id = remote::CookieValue(*cookies, kCookieName)) {
        session = sessions_.Find(*id, now);
      }
    }
    if (request.Method == "GET") {
      AnswerGet(socket, connection, path, session);
    } else if (request.Method != "POST") {
      Finish(socket, PlainAnswer(405, "Not allowed.\n"));
    } else if (!remote::FromThisPage(request)) {
      Finish(socket, PlainAnswer(403, "Not from this page.\n"));
    } else if (path == "/login") {
      Login(socket, connection, request, now);
    } else if (session == nullptr) {
      Finish(socket, PlainAnswer(401, "Not logged in.\n"));
    } else if (!CarriesToken(request, *session)) {
      Finish(socket, PlainAnswer(403, "Missing or wrong token.\n"));
    } else if (path == "/logout") {
      const std::string id = session->Id;
      sessions_.Close(id);
      EndStreamsOf(id);
      Finish(socket, PlainAnswer(303, "", "Location: /\r\n"));
    } else {
      Control(socket, connection, request, path);
    }
  }

  static bool CarriesToken(const remote::HttpRequest& request,
                           const remote::WebSessions::Session& session) {
    if (const auto header = request.Header("x-csrf-token")) {
      return remote::SecretsEqual(*header, session.CsrfToken);
    }
    const auto field = remote::FormField(request.Body, "csrf");
    return field && remote::SecretsEqual(*field, session.CsrfToken);
  }

  void AnswerGet(QTcpSocket* socket, Connection& connection, std::string_view path,
                 const remote::WebSessions::Session* session) {
    std::string body;
    std::string type;
    if (path == "/") {
      PageFile(session != nullptr ? "/app.html" : "/login.html", body, type);
      if (session != nullptr) {
        Replace(body, "{{csrf}}", session->CsrfToken);
      } else {
        Replace(body, "{{message}}", "");
      }
      Finish(socket, WebAnswer(200, type, body));
    } else if (path == "/events") {
      if (session == nullptr) {
        Finish(socket, PlainAnswer(401, "Not logged in.\n"));
        return;
      }
      connection.Streaming = true;
      connection.SessionId = session->Id;
      streams_.push_back(socket);
      std::string opening = EventStreamHead();
      lastState_ = host_.WebStateJson();
      opening += StateEvent(lastState_);
      for (const std::string& event : console_) {
        opening += event;
      }
      Send(socket, opening);
    } else if (path == "/session") {
      // A page whose stream ended asks this: a server that restarted knows no session.
      Finish(socket, session != nullptr ? PlainAnswer(200, "Logged in.\n")
                                        : PlainAnswer(401, "Not logged in.\n"));
    } else if (path != "/app.html" && path != "/login.html" && PageFile(path, body, type)) {
      Finish(socket, WebAnswer(200, type, body));
    } else {
      Finish(socket, PlainAnswer(404, "Not found.\n"));
    }
  }

  void Login(QTcpSocket* socket, Connection& connection, const remote::HttpRequest& request,
             std::uint64_t now) {
    std::string body;
    std::string type;
    PageFile("/login.html", body, type);
    using Verdict = remote::SignInGate::Verdict;
    const auto password = remote::FormField(request.Body, "password");
    const remote::SignInGate::Outcome outcome =
        gate_->Try({"Web page", connection.AddressKey, connection.Peer, password.value_or("")},
                   settings_.Password, now);
    if (outcome.Result != Verdict::SignedIn) {
      if (outcome.Result == Verdict::Wrong) {
        ++signIns_.Failed;
        reports_.Report(outcome.BannedNow ? "bans" : "wrong passwords", outcome.Report);
      }
      Replace(body, "{{message}}", gate_->Advice(outcome.Result));
      const int status = outcome.Result == Verdict::Wrong    ? 401
                         : outcome.Result == Verdict::Banned ? 429
                                                             : 503;
      Finish(socket, WebAnswer(status, type, body, status == 503 ? "Retry-After: 1\r\n" : ""));
      return;
    }
    const auto session = sessions_.Open(now);
    if (!session) {
      Finish(socket, PlainAnswer(503, "No randomness.\n"));
      return;
    }
    ++signIns_.Succeeded;
    // A new session may have pushed the least recently used one out.
    EndStreamsOfEndedSessions(now);
    host_.ReportRemoteEvent("Web page: " + connection.Peer + " logged in.");
    Finish(socket, PlainAnswer(303, "",
                               "Location: /\r\nSet-Cookie: " + std::string(kCookieName) + "=" +
                                   session->Id + "; HttpOnly; SameSite=Strict; Path=/\r\n"));
  }

  // Every control of the page is a command line, which takes the remote console's path: the
  // page's buttons send the server's own commands for them.
  void Control(QTcpSocket* socket, Connection& connection, const remote::HttpRequest& request,
               std::string_view path) {
    if (path != "/api/command") {
      Finish(socket, PlainAnswer(404, "Not found.\n"));
      return;
    }
    const std::string line = remote::FormField(request.Body, "line").value_or("");
    QPointer<QTcpSocket> alive(socket);
    host_.RunRemoteCommand(
        line, "Web " + connection.Peer, [this, alive](remote::CommandOutput output) {
          if (alive == nullptr || connections_.find(alive.data()) == connections_.end()) {
            return;
          }
          remote::JsonWriter json;
          json.BeginObject().Key("answer").String(output.Text);
          json.Key("onConsole").Bool(output.OnConsole).EndObject();
          Finish(alive.data(), JsonAnswer(200, json.Text()));
        });
  }

  static void Replace(std::string& text, std::string_view mark, std::string_view value) {
    const std::size_t at = text.find(mark);
    if (at != std::string::npos) {
      text.replace(at, mark.size(), value);
    }
  }

  // Nothing goes to a stream whose session has ended (logged out, pushed out or expired), and
  // its connection ends like an answered one: in time, even when its reader has stopped reading.
  void EndStreamsOfEndedSessions(std::uint64_t now) {
    EndStreams([&](const Connection& c) { return !sessions_.IsOpen(c.SessionId, now); });
  }

  void EndStreamsOf(const std::string& sessionId) {
    EndStreams([&](const Connection& c) { return c.SessionId == sessionId; });
  }

  // Closing a socket may forget it at once (its disconnected signal), which changes the map: the
  // streams are picked first and closed after. An ended stream is an answered connection from
  // then on, closed once.
  template <typename Ends>
  void EndStreams(const Ends& ends) {
    std::vector<QPointer<QTcpSocket>> ending;
    for (auto& [socket, connection] : connections_) {
      if (connection.Streaming && ends(connection)) {
        connection.Streaming = false;
        ending.emplace_back(socket);
      }
    }
    for (const QPointer<QTcpSocket>& socket : ending) {
      if (socket != nullptr) {
        std::erase(streams_, socket.data());
        Close(socket.data());
      }
    }
  }

  void Broadcast(const std::string& event) {
    EndStreamsOfEndedSessions(MonotonicMs());
    const std::vector<QTcpSocket*> streams = streams_;
    for (QTcpSocket* socket : streams) {
      if (static_cast<std::size_t>(socket->bytesToWrite()) > settings_.MaxUnsentBytes) {
        AbortNow(socket);
        continue;
      }
      Send(socket, event);
    }
  }

  static void Send(QTcpSocket* socket, const std::string& bytes) {
    socket->write(bytes.data(), static_cast<qint64>(bytes.size()));
  }

  // The answer leaves at once, as far as the socket takes it: an answer to a stop must not wait
  // for an event loop that the stop is about to end.
  void Finish(QTcpSocket* socket, const std::string& answer) {
    Send(socket, answer);
    socket->flush();
    Close(socket);
  }

  void Close(QTcpSocket* socket) {
    QObject::connect(socket, &QTcpSocket::disconnected, socket, &QObject::deleteLater,
                     Qt::UniqueConnection);
    // A client that does not take its answer does not keep its slot either.
    QTimer::singleShot(settings_.RequestTimeoutMs, socket, [socket] { AbortNow(socket); });
    socket->disconnectFromHost();
    if (socket->state() == QAbstractSocket::UnconnectedState) {
      socket->deleteLater();
    }
  }

  void Forget(QTcpSocket* socket) {
    connections_.erase(socket);
    std::erase(streams_, socket);
    socket->deleteLater();
  }

  IWebHost& host_;
  WebSettings settings_;
  std::shared_ptr<remote::SignInGate> gate_;
  ThrottledReports reports_;
  remote::WebSessions sessions_;
  remote::SignInCounts signIns_;
  std::map<QTcpSocket*, Connection> connections_;
  std::uint64_t accepted_ = 0;
  std::vector<QTcpSocket*> streams_;
  std::deque<std::string> console_;
  std::string lastState_;
  QTcpServer server_;
};

WebService::WebService(IWebHost& host, WebSettings settings)
    : impl_(std::make_unique<Impl>(host, std::move(settings))) {}
WebService::~WebService() = default;

bool WebService::Start(std::string& error) {
  return impl_->Start(error);
}
std::uint16_t WebService::Port() const {
  return impl_->Port();
}
void WebService::ConsoleLine(std::string_view line, bool operatorLine) {
  impl_->ConsoleLine(line, operatorLine);
}
void WebService::PublishState() {
  impl_->PublishState();
}

remote::SignInCounts WebService::SignIns() const {
  return impl_->SignIns();
}
std::size_t WebService::ActiveBans() const {
  return impl_->ActiveBans();
}
std::size_t WebService::ActiveSessions() const {
  return impl_->ActiveSessions();
}

}  // namespace vex::services
