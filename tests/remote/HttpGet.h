#pragma once

#include <chrono>
#include <optional>
#include <string>

#include "tests/remote/LoopbackStream.h"
#include "tests/support/WaitUntil.h"

namespace vex::test {

// The body of one HTTP/1.1 GET on 127.0.0.1 answered with 200, or nothing when no such answer
// came (another status, a connection closed early, no answer within the time).
inline std::optional<std::string> HttpGet(int port, const std::string& target,
                                          const std::string& headers = {}) {
  LoopbackStream stream(port);
  stream.Send("GET " + target + " HTTP/1.1\r\nHost: 127.0.0.1\r\nConnection: close\r\n" + headers +
              "\r\n");
  const std::string answer = stream.ReceiveUntilClosed();
  const std::size_t body = answer.find("\r\n\r\n");
  if (answer.rfind("HTTP/1.1 200", 0) != 0 || body == std::string::npos) {
    return std::nullopt;
  }
  return answer.substr(body + 4);
}

}  // namespace vex::test
