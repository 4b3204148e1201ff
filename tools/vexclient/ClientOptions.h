#pragma once

#include <optional>
#include <string>

namespace vex::tools {

struct ClientOptions {
  int Players = 1;
  std::string NamePrefix = "player";
  std::string Password;
  int Seconds = 0;  // 0: until Ctrl-C
  bool Chat = false;
  std::string Host;
  int Port = 0;
  bool Help = false;
};

inline constexpr int kMaxClientPlayers = 500;
inline constexpr int kMaxClientSeconds = 86400;

// nullopt with the reason for an unknown option, a missing or out-of-range value, or a server
// address that is not HOST:PORT.
std::optional<ClientOptions> ParseClientOptions(int argc, const char* const* argv,
                                                std::string& error);

}  // namespace vex::tools
