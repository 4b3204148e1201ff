#include "remote/WebSessions.h"

#include <sys/random.h>

#include <algorithm>
#include <cerrno>

#include "remote/SecretEqual.h"

namespace vex::remote {

std::string RandomHex(std::size_t bytes) {
  std::string raw(bytes, '\0');
  std::size_t filled = 0;
  while (filled < bytes) {
    const ssize_t got = getrandom(raw.data() + filled, bytes - filled, 0);
    if (got < 0 && errno == EINTR) {
      continue;
    }
    if (got <= 0) {
      return {};
    }
    filled += static_cast<std::size_t>(got);
  }
  static constexpr char kDigits[] = "0123456789abcdef";
  std::string hex;
  for (const char c : raw) {
    const auto byte = static_cast<unsigned char>(c);
    hex += kDigits[byte >> 4];
    hex += kDigits[byte & 15];
  }
  return hex;
}

std::optional<WebSessions::Session> WebSessions::Open(std::uint64_t nowMs) {
  Session session{RandomHex(32), RandomHex(32), nowMs};
  if (session.Id.empty() || session.CsrfToken.empty()) {
    return std::nullopt;
  }
  std::erase_if(sessions_,
                [&](const Session& s) { return nowMs - s.LastUsedMs >= limits_.IdleMs; });
  if (sessions_.size() >= limits_.Sessions) {
    sessions_.erase(std::min_element(
        sessions_.begin(), sessions_.end(),
        [](const Session& a, const Session& b) { return a.LastUsedMs < b.LastUsedMs; }));
  }
  sessions_.push_back(session);
  return session;
}

const WebSessions::Session* WebSessions::Find(std::string_view id, std::uint64_t nowMs) {
  Session* found = nullptr;
  for (Session& session : sessions_) {
    if (SecretsEqual(session.Id, id)) {
      found = &session;
    }
  }
  if (found == nullptr) {
    return nullptr;
  }
  if (nowMs - found->LastUsedMs >= limits_.IdleMs) {
    Close(id);
    return nullptr;
  }
  found->LastUsedMs = nowMs;
  return found;
}

std::size_t WebSessions::ActiveCount(std::uint64_t nowMs) const {
  return static_cast<std::size_t>(std::count_if(
      sessions_.begin(), sessions_.end(),
      [&](const Session& session) { return nowMs - session.LastUsedMs < limits_.IdleMs; }));
}

bool WebSessions::IsOpen(std::string_view id, std::uint64_t nowMs) const {
  return std::any_of(sessions_.begin(), sessions_.end(), [&](const Session& s) {
    return SecretsEqual(id, s.Id) && nowMs - s.LastUsedMs < limits_.IdleMs;
  });
}

void WebSessions::Close(std::string_view id) {
  std::erase_if(sessions_, [&](const Session& s) { return SecretsEqual(s.Id, id); });
}

}  // namespace vex::remote
