#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "remote/HttpRequest.h"
#include "remote/ServiceCounts.h"
#include "remote/SignInGate.h"

namespace vex::services {

// What a scrape reads. Every call comes on the window thread.
class IMetricsHost {
 public:
  // The whole answer of /metrics in the Prometheus text format.
  virtual std::string MetricsText() = 0;
  // A line for the operator's console: wrong tokens and the bans they bring.
  virtual void ReportRemoteEvent(std::string_view text) = 0;

 protected:
  ~IMetricsHost() = default;
};

struct MetricsSettings {
  std::string BindAddress = "127.0.0.1";
  std::uint16_t Port = 0;  // 0 takes a free port (tests)
  // Empty: no token is asked for; else every scrape carries "Authorization: Bearer TOKEN".
  std::string Token;
  // Past either bound, the connection that has waited longest for its request to complete makes
  // room, so slow strangers never keep a scrape out.
  int MaxConnections = 8;
  int MaxConnectionsPerAddress = 4;
  int RequestTimeoutMs = 10'000;
  remote::HttpLimits Limits;
  // The token's bans and budgets: wrong tokens ban from the metrics only, and wrong passwords of
  // the other services do not ban from them.
  remote::SignInGate::Limits Gate;
};

// GET /metrics for Prometheus, served by the window thread's event loop like the other remote
// services: one request per connection, answered at once and closed.
class MetricsService {
 public:
  MetricsService(IMetricsHost& host, MetricsSettings settings);
  ~MetricsService();
  MetricsService(const MetricsService&) = delete;
  MetricsService& operator=(const MetricsService&) = delete;

  bool Start(std::string& error);
  std::uint16_t Port() const;
  remote::SignInCounts SignIns() const;
  std::size_t ActiveBans() const;

 private:
  class Impl;
  std::unique_ptr<Impl> impl_;
};

}  // namespace vex::services
