#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "remote/QueryRateLimiter.h"
#include "remote/ServiceCounts.h"
#include "services/RemoteHost.h"

namespace vex::services {

struct QuerySettings {
  std::string BindAddress;  // empty for every interface
  std::uint16_t Port = 0;   // 0 takes a free port (tests)
  remote::QueryRateLimiter::Limits Limits;
};

// The server query (A2S) over UDP, served by the window thread's event loop.
class QueryService {
 public:
  QueryService(IRemoteHost& host, QuerySettings settings);
  ~QueryService();
  QueryService(const QueryService&) = delete;
  QueryService& operator=(const QueryService&) = delete;

  bool Start(std::string& error);
  std::uint16_t Port() const;
  remote::QueryCounts Counts() const;

 private:
  class Impl;
  std::unique_ptr<Impl> impl_;
};

}  // namespace vex::services
