#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "remote/HttpRequest.h"
#include "remote/ServiceCounts.h"
#include "remote/SignInGate.h"
#include "remote/WebSessions.h"
#include "services/WebHost.h"

namespace vex::services {

struct WebSettings {
  std::string Password;
  std::string BindAddress = "127.0.0.1";
  std::uint16_t Port = 0;  // 0 takes a free port (tests)
  // Past either bound, the connection that has waited longest for its request to complete
  // makes room, so slow strangers never keep the operator from logging in.
  int MaxConnections = 32;
  int MaxConnectionsPerAddress = 8;
  int RequestTimeoutMs = 10'000;
  std::size_t ConsoleLinesKept = 300;
  remote::WebSessions::Limits Sessions;
  // A page whose socket holds more unsent bytes than this is too slow to follow: it is dropped
  // and reconnects, instead of growing the server's memory.
  std::size_t MaxUnsentBytes = 512 * 1024;
  remote::HttpLimits Limits;
  // The password's bans and budgets, shared with the remote console; the service keeps its own
  // when null.
  std::shared_ptr<remote::SignInGate> Gate;
  // Host names the page answers for besides addresses and localhost (a proxy's name).
  std::vector<std::string> HostNames;
};

// The operator's web page over HTTP/1.1, served by the window thread's event loop like the
// remote console: a login form, the page's files, an event stream that pushes the state and the
// console, and the page's command lines as POST requests that carry the session's token.
class WebService {
 public:
  WebService(IWebHost& host, WebSettings settings);
  ~WebService();
  WebService(const WebService&) = delete;
  WebService& operator=(const WebService&) = delete;

  bool Start(std::string& error);
  std::uint16_t Port() const;

  // A console line for the open pages (and the ones that open later, up to the kept lines);
  // `operatorLine` marks an operator's own command.
  void ConsoleLine(std::string_view line, bool operatorLine);
  // Asks the host for the state and pushes it to the open pages when it changed; an open page
  // counts as use of its session, so that a page left open to watch stays logged in.
  void PublishState();

  remote::SignInCounts SignIns() const;
  std::size_t ActiveBans() const;
  std::size_t ActiveSessions() const;

 private:
  class Impl;
  std::unique_ptr<Impl> impl_;
};

}  // namespace vex::services
