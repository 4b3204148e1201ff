#pragma once

#include <QHostAddress>
#include <string>

namespace vex::services {

// An IPv4 client of a dual-stack socket arrives as an IPv4-mapped IPv6 address; it is shown and
// counted as the IPv4 address it is.
QHostAddress PlainAddress(const QHostAddress& address);
std::string PeerText(const QHostAddress& address, quint16 port);

// The address to listen on: every interface when empty; false when the text is no address.
bool ListenAddress(const std::string& text, QHostAddress& address);

}  // namespace vex::services
