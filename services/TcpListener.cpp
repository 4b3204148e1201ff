#include "services/TcpListener.h"

#include <QNetworkProxy>

#include "services/PeerAddress.h"

namespace vex::services {

bool ListenForClients(QTcpServer& server, const std::string& service,
                      const std::string& bindAddress, std::uint16_t port, int maxPending,
                      std::string& error) {
  QHostAddress address;
  if (!ListenAddress(bindAddress, address)) {
    error = service + ": " + bindAddress + " is not an address to listen on.";
    return false;
  }
  // A listening socket is never a proxy's client. Asking for the system's proxy would also start
  // a thread of Qt's that outlives the server.
  server.setProxy(QNetworkProxy::NoProxy);
  // Pending connections beyond the kernel's backlog wait there, not in this process.
  server.setMaxPendingConnections(maxPending);
  if (!server.listen(address, port)) {
    error = service + ": cannot listen on TCP port " + std::to_string(port) + ": " +
            server.errorString().toStdString();
    return false;
  }
  return true;
}

}  // namespace vex::services
