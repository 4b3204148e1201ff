#include "services/WebAnswer.h"

#include <QFile>

namespace vex::services {

namespace {

constexpr const char* kSecurityHeaders =
    "Content-Security-Policy: default-src 'none'; script-src 'self'; style-src 'self'; "
    "img-src 'self' data:; connect-src 'self'; form-action 'self'; frame-ancestors 'none'; "
    "base-uri 'none'\r\n"
    "X-Content-Type-Options: nosniff\r\n"
    // The page's own requests then carry its origin, which is how they are told from others.
    "Referrer-Policy: same-origin\r\n"
    "X-Frame-Options: DENY\r\n"
    "Cache-Control: no-store\r\n";

}  // namespace

const char* ReasonPhrase(int status) {
  switch (status) {
    case 200:
      return "OK";
    case 303:
      return "See Other";
    case 400:
      return "Bad Request";
    case 401:
      return "Unauthorized";
    case 403:
      return "Forbidden";
    case 404:
      return "Not Found";
    case 405:
      return "Method Not Allowed";
    case 408:
      return "Request Timeout";
    case 413:
      return "Content Too Large";
    case 414:
      return "URI Too Long";
    case 421:
      return "Misdirected Request";
    case 429:
      return "Too Many Requests";
    case 431:
      return "Request Header Fields Too Large";
    case 501:
      return "Not Implemented";
    case 503:
      return "Service Unavailable";
    default:
      return "Error";
  }
}

std::string WebAnswer(int status, std::string_view contentType, std::string_view body,
                      std::string_view extraHeaders) {
  std::string answer = "HTTP/1.1 " + std::to_string(status) + " " + ReasonPhrase(status) + "\r\n";
  answer += "Content-Type: ";
  answer += contentType;
  answer += "\r\nContent-Length: " + std::to_string(body.size()) + "\r\n";
  answer += kSecurityHeaders;
  answer += extraHeaders;
  answer += "Connection: close\r\n\r\n";
  answer += body;
  return answer;
}

std::string PlainAnswer(int status, std::string_view text, std::string_view extraHeaders) {
  return WebAnswer(status, "text/plain; charset=utf-8", text, extraHeaders);
}

std::string JsonAnswer(int status, std::string_view json) {
  return WebAnswer(status, "application/json", json);
}

std::string EventStreamHead() {
  return std::string("HTTP/1.1 200 OK\r\nContent-Type: text/event-stream; charset=utf-8\r\n") +
         kSecurityHeaders + "Connection: close\r\n\r\n";
}

bool PageFile(std::string_view path, std::string& body, std::string& contentType) {
  struct Entry {
    std::string_view Path;
    const char* Resource;
    const char* Type;
  };
  static constexpr Entry kFiles[] = {
      {"/app.js", ":/web/app.js", "text/javascript; charset=utf-8"},
      {"/plots.js", ":/web/plots.js", "text/javascript; charset=utf-8"},
      {"/stream.js", ":/web/stream.js", "text/javascript; charset=utf-8"},
      {"/events-worker.js", ":/web/events-worker.js", "text/javascript; charset=utf-8"},
      {"/app.css", ":/web/app.css", "text/css; charset=utf-8"},
      {"/app.html", ":/web/app.html", "text/html; charset=utf-8"},
      {"/login.html", ":/web/login.html", "text/html; charset=utf-8"},
      {"/favicon.svg", ":/web/favicon.svg", "image/svg+xml"},
  };
  for (const Entry& entry : kFiles) {
    if (entry.Path != path) {
      continue;
    }
    QFile file(entry.Resource);
    if (!file.open(QIODevice::ReadOnly)) {
      return false;
    }
    body = file.readAll().toStdString();
    contentType = entry.Type;
    return true;
  }
  return false;
}

}  // namespace vex::services
