#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace vex::remote {

// One HTTP/1.1 request of the operator's web page, read strictly and within bounds: a request
// line, header lines and a body of Content-Length bytes; no chunked bodies, no continuation
// lines, nothing after the body (every answer closes or keeps the connection for events only).
struct HttpRequest {
  std::string Method;
  std::string Target;                                        // the path with its query
  std::vector<std::pair<std::string, std::string>> Headers;  // names in lower case
  std::string Body;

  // The first value of the header, or nothing.
  std::optional<std::string_view> Header(std::string_view lowerName) const;
  std::string_view Path() const;
};

struct HttpLimits {
  std::size_t RequestLine = 2048;
  std::size_t HeaderBytes = 8192;  // the request line and every header line together
  std::size_t HeaderCount = 48;
  std::size_t Body = 8192;
};

// Fed with the bytes as they arrive. Complete or Failed ends the reading; a failure carries the
// status code to answer with before closing.
class HttpRequestReader {
 public:
  enum class State { Reading, Complete, Failed };

  explicit HttpRequestReader(HttpLimits limits = {}) : limits_(limits) {}

  State Feed(std::string_view bytes);
  State Current() const { return state_; }
  int FailureStatus() const { return failureStatus_; }
  const HttpRequest& Request() const { return request_; }

 private:
  State Fail(int status);
  bool ParseHead();

  HttpLimits limits_;
  State state_ = State::Reading;
  int failureStatus_ = 0;
  std::string buffer_;
  bool headRead_ = false;
  std::size_t bodyLength_ = 0;
  HttpRequest request_;
};

// The value of one field of an application/x-www-form-urlencoded text, decoded; nothing when
// absent or malformed.
std::optional<std::string> FormField(std::string_view form, std::string_view name);

// The value of one cookie of a Cookie header.
std::optional<std::string_view> CookieValue(std::string_view header, std::string_view name);

}  // namespace vex::remote
