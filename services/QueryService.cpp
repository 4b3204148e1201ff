#include "services/QueryService.h"

#include <QNetworkDatagram>
#include <QNetworkProxy>
#include <QUdpSocket>
#include <random>

#include "remote/A2sResponder.h"
#include "remote/A2sSplit.h"
#include "services/MonotonicClock.h"
#include "services/PeerAddress.h"

namespace vex::services {

namespace {

constexpr int kDatagramsPerTurn = 64;
// No query is longer; a longer datagram is cut here and then fails to parse.
constexpr qint64 kLongestQuery = 64;

std::uint64_t RandomSecret() {
  std::random_device device;
  return (static_cast<std::uint64_t>(device()) << 32) ^ device();
}

}  // namespace

class QueryService::Impl {
 public:
  Impl(IRemoteHost& host, QuerySettings settings)
      : host_(host), settings_(std::move(settings)), responder_(RandomSecret(), settings_.Limits) {}

  bool Start(std::string& error) {
    QHostAddress address;
    if (!ListenAddress(settings_.BindAddress, address)) {
      error = "Query: " + settings_.BindAddress + " is not an address to listen on.";
      return false;
    }
    // Asking for the system's proxy would start a thread of Qt's that outlives the server.
    socket_.setProxy(QNetworkProxy::NoProxy);
    if (!socket_.bind(address, settings_.Port)) {
      error = "Query: cannot listen on UDP port " + std::to_string(settings_.Port) + ": " +
              socket_.errorString().toStdString();
      return false;
    }
    QObject::connect(&socket_, &QUdpSocket::readyRead, &socket_, [this] { ReadDatagrams(); });
    return true;
  }

  std::uint16_t Port() const { return socket_.localPort(); }
  remote::QueryCounts Counts() const { return counts_; }

 private:
  // Reads every waiting datagram, as the socket tells of new ones only after that, but answers
  // only so many per turn of the event loop: the rest of a flood is dropped unanswered, so it
  // never holds the window thread for long. The kernel's buffer bounds what one turn reads.
  void ReadDatagrams() {
    int answered = 0;
    while (socket_.hasPendingDatagrams()) {
      const QNetworkDatagram datagram = socket_.receiveDatagram(kLongestQuery);
      if (!datagram.isValid()) {
        continue;
      }
      if (answered >= kDatagramsPerTurn) {
        ++counts_.Refused;
        continue;
      }
      ++answered;
      const QByteArray bytes = datagram.data();
      const std::string key = PlainAddress(datagram.senderAddress()).toString().toStdString();
      const auto answer = responder_.Answer(
          std::string_view(bytes.constData(), static_cast<std::size_t>(bytes.size())), key,
          MonotonicMs(), [this] { return host_.QueryStatus(); });
      ++(answer ? counts_.Answered : counts_.Refused);
      if (answer) {
        for (const std::string& part : remote::SplitA2sAnswer(*answer, ++answers_)) {
          socket_.writeDatagram(part.data(), static_cast<qint64>(part.size()),
                                datagram.senderAddress(), datagram.senderPort());
        }
      }
    }
  }

  IRemoteHost& host_;
  QuerySettings settings_;
  remote::A2sResponder responder_;
  remote::QueryCounts counts_;
  std::uint32_t answers_ = 0;  // the id of a split answer
  QUdpSocket socket_;
};

QueryService::QueryService(IRemoteHost& host, QuerySettings settings)
    : impl_(std::make_unique<Impl>(host, std::move(settings))) {}

QueryService::~QueryService() = default;

bool QueryService::Start(std::string& error) {
  return impl_->Start(error);
}

std::uint16_t QueryService::Port() const {
  return impl_->Port();
}

remote::QueryCounts QueryService::Counts() const {
  return impl_->Counts();
}

}  // namespace vex::services
