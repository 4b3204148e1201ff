#pragma once

#include <cctype>
#include <chrono>
#include <memory>
#include <optional>
#include <string>

#include "tests/remote/LoopbackStream.h"
#include "tests/support/WaitUntil.h"

namespace vex::test {

// A blocking client of the operator's web page on 127.0.0.1 for a thread of a test, sending what
// the page sends: the log-in, the event stream, command lines with the session's token, the
// log-out.
class WebClient {
 public:
  explicit WebClient(int port) : port_(port) {}

  // Logs in and reads the session's token from the page; false when either failed.
  bool LogIn(const std::string& password) {
    cookie_.clear();
    token_.clear();
    const std::string answer = Exchange("POST", "/login", "password=" + FormEncoded(password));
    cookie_ = Between(answer, "Set-Cookie: vexweb=", ";");
    token_ = Between(Exchange("GET", "/", {}), "name=\"csrf-token\" content=\"", "\"");
    return !cookie_.empty() && !token_.empty();
  }

  // The body of the answer to a command line, or nothing when it was not answered with 200.
  std::optional<std::string> Command(const std::string& line) {
    const std::string answer = Exchange("POST", "/api/command", "line=" + FormEncoded(line));
    if (answer.rfind("HTTP/1.1 200", 0) != 0) {
      return std::nullopt;
    }
    return answer.substr(answer.find("\r\n\r\n") + 4);
  }

  bool LogOut() {
    return Exchange("POST", "/logout", "csrf=" + token_).rfind("HTTP/1.1 303", 0) == 0;
  }

  // Opens the event stream and waits for its first state; false when none came.
  bool OpenStream() {
    stream_ = std::make_unique<LoopbackStream>(port_);
    streamed_.clear();
    stream_->Send("GET /events HTTP/1.1\r\nHost: 127.0.0.1\r\nCookie: vexweb=" + cookie_ +
                  "\r\n\r\n");
    return WaitForStream(
        [](const std::string& text) { return text.find("event: state\n") != std::string::npos; });
  }

  // Waits for the server to end the stream; false when it stayed open.
  bool StreamEnds() {
    return WaitForStream([](const std::string&) { return false; });
  }

 private:
  template <typename Enough>
  bool WaitForStream(const Enough& enough) {
    bool ended = false;
    WaitUntil(
        [&] {
          ended = !stream_->ReceiveSome(streamed_);
          return ended || enough(streamed_);
        },
        std::chrono::seconds(10), std::chrono::milliseconds(0));
    // A stream that ended is what a caller waiting for its end wants; one that ended before it
    // brought enough is not.
    return ended ? !enough(streamed_) : enough(streamed_);
  }

  // One request on a connection of its own, and everything answered until the server closed.
  std::string Exchange(const std::string& method, const std::string& target,
                       const std::string& body) {
    LoopbackStream stream(port_);
    std::string request = method + " " + target + " HTTP/1.1\r\nHost: 127.0.0.1\r\n";
    if (!cookie_.empty()) {
      request += "Cookie: vexweb=" + cookie_ + "\r\nX-CSRF-Token: " + token_ + "\r\n";
    }
    if (method == "POST") {
      request += "Content-Type: application/x-www-form-urlencoded\r\nContent-Length: " +
                 std::to_string(body.size()) + "\r\n";
    }
    stream.Send(request + "\r\n" + body);
    return stream.ReceiveUntilClosed();
  }

  static std::string FormEncoded(const std::string& text) {
    static constexpr char kHex[] = "0123456789ABCDEF";
    std::string encoded;
    for (const char c : text) {
      const auto byte = static_cast<unsigned char>(c);
      if (std::isalnum(byte) != 0 || c == '-' || c == '_' || c == '.') {
        encoded += c;
      } else {
        encoded += '%';
        encoded += kHex[byte >> 4];
        encoded += kHex[byte & 0xF];
      }
    }
    return encoded;
  }

  static std::string Between(const std::string& text, const std::string& before,
                             const std::string& after) {
    const std::size_t start = text.find(before);
    if (start == std::string::npos) {
      return {};
    }
    const std::size_t from = start + before.size();
    const std::size_t end = text.find(after, from);
    return end == std::string::npos ? std::string() : text.substr(from, end - from);
  }

  int port_;
  std::string cookie_;
  std::string token_;
  std::unique_ptr<LoopbackStream> stream_;
  std::string streamed_;
};

}  // namespace vex::test
