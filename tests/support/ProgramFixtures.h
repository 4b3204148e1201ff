#pragma once

#include <arpa/inet.h>
#include <netinet/in.h>
#include <stdlib.h>
#include <sys/socket.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "tests/support/ScratchFolder.h"
#include "tests/support/UnusedPort.h"

namespace vex::test {

inline const std::string kProgram = std::string(VEX_BIN_DIR) + "/vexserver";
inline const std::string kClientProgram = std::string(VEX_BIN_DIR) + "/vexclient";

// A copy of the sample game folder, so that tests may add files to it.
class GameFolder {
 public:
  GameFolder() { folder_.CopyIn(std::filesystem::path(VEX_SOURCE_DIR) / "examples/gamedir"); }

  std::string Path() const { return folder_.Path().string(); }
  void WriteConfig(const std::string& name, const std::string& text) const {
    folder_.Write(std::filesystem::path("VexMod/ServerData") / (name + ".txt"), text);
  }

 private:
  ScratchFolder folder_;
};

// A UDP socket holding a port on all interfaces, as a server already running there would.
class HeldPort {
 public:
  HeldPort() : socket_(::socket(AF_INET, SOCK_DGRAM, 0)) {
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_ANY);
    bind(socket_, reinterpret_cast<sockaddr*>(&address), sizeof(address));
    socklen_t length = sizeof(address);
    getsockname(socket_, reinterpret_cast<sockaddr*>(&address), &length);
    port_ = ntohs(address.sin_port);
  }
  ~HeldPort() { close(socket_); }
  HeldPort(const HeldPort&) = delete;
  HeldPort& operator=(const HeldPort&) = delete;

  std::string Port() const { return std::to_string(port_); }

 private:
  int socket_;
  int port_ = 0;
};

inline std::string FreePort() {
  return std::to_string(UnusedPort());
}

}  // namespace vex::test
