#include "services/TcpListener.h"

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
