#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "framework/net/RemoteHost.h"
#include "remote/AuthFailureBans.h"
#include "remote/ServiceCounts.h"

namespace vex::fw::net {

struct RconSettings {
  std::string Password;
  std::string BindAddress;  // empty for every interface
  std::uint16_t Port = 0;   // 0 takes a free port (tests)
  int MaxConnections = 8;
  int IdleTimeoutMs = 60'000;
  remote::AuthFailureBans::Limits Bans;
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

 private:
  class Impl;
  std::unique_ptr<Impl> impl_;
};

}  // namespace vex::fw::net
