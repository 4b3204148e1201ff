#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "remote/ServiceCounts.h"
#include "remote/SignInGate.h"
#include "services/RemoteHost.h"

namespace vex::services {

struct RconSettings {
  std::string Password;
  std::string BindAddress;  // empty for every interface
  std::uint16_t Port = 0;   // 0 takes a free port (tests)
  int MaxConnections = 8;
  // Slots one address (an IPv6 one by its /64) may hold with clients that have not signed in
  // yet: one host cannot take them all. A signed-in client has proven the password and counts
  // only towards the total.
  int MaxConnectionsPerAddress = 2;
  // A client must sign in this soon; when every slot is taken, the one waiting longest to sign
  // in makes room for a new client, so strangers holding slots never keep the operator out.
  int SignInTimeoutMs = 5'000;
  int IdleTimeoutMs = 600'000;  // of a signed-in client
  // The password's bans and budgets, shared with the web page; the service keeps its own when
  // null.
  std::shared_ptr<remote::SignInGate> Gate;
};

// The Source remote console over TCP, served by the window thread's event loop: no thread of its
// own, and nothing that a client sends waits on anything.
class RconService {
 public:
  RconService(IRemoteHost& host, RconSettings settings);
  ~RconService();
  RconService(const RconService&) = delete;
  RconService& operator=(const RconService&) = delete;

  // Starts listening; false with the reason when the address or port cannot be had.
  bool Start(std::string& error);
  std::uint16_t Port() const;
  remote::SignInCounts SignIns() const;
  std::size_t ActiveBans() const;
  // Takes the requests that clients sent and the event loop has not yet read, so that a server
  // about to stop still answers them.
  void ReadNow();

 private:
  class Impl;
  std::unique_ptr<Impl> impl_;
};

}  // namespace vex::services
