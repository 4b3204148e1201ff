#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace vex::remote {

// One HTTP/1.1 request of the operator's web page, read strictly and within bounds: a request
// line, header lines ended by CRLF, one Host, and a body of Content-Length bytes; no chunked
// bodies, no continuation lines. What follows the body is not read (every answer closes the
// connection or keeps it for events only).
struct HttpRequest {
  std::string Method;
  std::string Target;                                        // the path with its query
  std::vector<std::pair<std::string, std::string>> Headers;  // names in lower case
  std::string Body;

  // The first value of the header, or nothing.
  std::optional<std::string_view> Header(std::string_view lowerName) const;
  std::size_t HeaderCount(std::string_view lowerName) const;
  std::string_view Path() const;
};

struct HttpLimits {
  std::size_t RequestLine = 2048;
  std::size_t HeaderBytes = 8192;  // the request line and the header lines, with their CRLFs
  std::size_t HeaderCount = 48;
  std::size_t Body = 8192;
};

// Fed with the bytes as they arrive. Complete or Failed ends the reading; a failure carries the
// status code to answer with before closing. The same bytes get the same outcome however they
// are split: a limit fails as soon as the bytes so far are sure to break it, and not before.
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
  void ReadHeadLines();
  bool CheckLineLength(std::size_t length);
  bool TakeLine(std::string_view line, bool crlf);
  bool ParseRequestLine(std::string_view line);
  bool ParseHeaderLine(std::string_view line);
  bool FinishHead();

  HttpLimits limits_;
  State state_ = State::Reading;
  int failureStatus_ = 0;
  std::string buffer_;         // the unfinished head line, then the body so far
  std::size_t headBytes_ = 0;  // the finished head lines with their line ends
  bool requestLineRead_ = false;
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
