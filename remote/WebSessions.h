#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace vex::remote {

// The web page's logged-in browsers: each has a random session id (its cookie) and a random
// token that every request changing something must carry. Times are the caller's monotonic
// milliseconds; ids and tokens are compared in constant time.
class WebSessions {
 public:
  struct Limits {
    std::size_t Sessions = 16;         // past it the least recently used one is logged out
    std::uint64_t IdleMs = 3'600'000;  // unused this long, a session ends
  };
  struct Session {
    std::string Id;
    std::string CsrfToken;
    std::uint64_t LastUsedMs = 0;
  };

  WebSessions() : WebSessions(Limits{}) {}
  explicit WebSessions(Limits limits) : limits_(limits) {}

  // A new session; nothing when the system has no randomness to give.
  std::optional<Session> Open(std::uint64_t nowMs);
  // The session of this cookie value, touched; null when unknown or expired.
  const Session* Find(std::string_view id, std::uint64_t nowMs);
  void Close(std::string_view id);
  // Sessions not yet expired.
  std::size_t ActiveCount(std::uint64_t nowMs) const;
  // Whether the session is still open (not logged out, pushed out or expired); it is not touched.
  bool IsOpen(std::string_view id, std::uint64_t nowMs) const;

 private:
  Limits limits_;
  std::vector<Session> sessions_;
};

// Hex text of random bytes from the kernel; empty when it cannot give them.
std::string RandomHex(std::size_t bytes);

}  // namespace vex::remote
