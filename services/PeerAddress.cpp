#include "services/PeerAddress.h"

namespace vex::services {

QHostAddress PlainAddress(const QHostAddress& address) {
  bool mapped = false;
  const quint32 v4 = address.toIPv4Address(&mapped);
  return mapped ? QHostAddress(v4) : address;
}

std::string PeerText(const QHostAddress& address, quint16 port) {
  const QHostAddress plain = PlainAddress(address);
  const std::string host = plain.toString().toStdString();
  return plain.protocol() == QAbstractSocket::IPv6Protocol
             ? "[" + host + "]:" + std::to_string(port)
             : host + ":" + std::to_string(port);
}

bool ListenAddress(const std::string& text, QHostAddress& address) {
  if (text.empty()) {
    address = QHostAddress(QHostAddress::Any);
    return true;
  }
  return address.setAddress(QString::fromStdString(text));
}

}  // namespace vex::services
