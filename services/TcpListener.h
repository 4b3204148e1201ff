#pragma once

#include <QTcpServer>
#include <cstdint>
#include <string>

namespace vex::services {

// Starts `server` listening on the address and port; false with a reason that names the service
// (as the console shows it: "RCON", "Web page", "Metrics") when either cannot be had.
bool ListenForClients(QTcpServer& server, const std::string& service,
                      const std::string& bindAddress, std::uint16_t port, int maxPending,
                      std::string& error);

}  // namespace vex::services
