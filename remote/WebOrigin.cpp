#include "remote/WebOrigin.h"

#include <arpa/inet.h>

#include <algorithm>
#include <array>
#include <cctype>

namespace vex::remote {

namespace {

bool SameText(std::string_view a, std::string_view b) {
  return std::equal(a.begin(), a.end(), b.begin(), b.end(), [](char x, char y) {
    return std::tolower(static_cast<unsigned char>(x)) ==
           std::tolower(static_cast<unsigned char>(y));
  });
}

bool IsPort(std::string_view text) {
  return !text.empty() && text.size() <= 5 &&
         std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; });
}

// The host part of a Host header: without its port, an IPv6 address without its brackets; empty
// when anything but a port follows the name.
std::string_view HostName(std::string_view host) {
  std::size_t end = host.find(':');
  std::string_view name = host.substr(0, end);
  if (!host.empty() && host.front() == '[') {
    const std::size_t close = host.find(']');
    if (close == std::string_view::npos) {
      return {};
    }
    name = host.substr(1, close - 1);
    end = close + 1 < host.size() ? close + 1 : std::string_view::npos;
    if (end != std::string_view::npos && host[end] != ':') {
      return {};
    }
  }
  return end == std::string_view::npos || IsPort(host.substr(end + 1)) ? name : std::string_view();
}

bool IsAddress(std::string_view name) {
  const std::string text(name);
  std::array<unsigned char, 16> bytes{};
  return inet_pton(AF_INET, text.c_str(), bytes.data()) == 1 ||
         inet_pton(AF_INET6, text.c_str(), bytes.data()) == 1;
}

}  // namespace

bool HostAllowed(const HttpRequest& request, const std::vector<std::string>& names) {
  const auto host = request.Header("host");
  if (!host) {
    return false;
  }
  const std::string_view name = HostName(*host);
  return !name.empty() && (IsAddress(name) || SameText(name, "localhost") ||
                           std::any_of(names.begin(), names.end(), [&](const std::string& given) {
                             return SameText(name, given);
                           }));
}

bool FromThisPage(const HttpRequest& request) {
  if (const auto site = request.Header("sec-fetch-site"); site && SameText(*site, "cross-site")) {
    return false;
  }
  const auto origin = request.Header("origin");
  if (!origin) {
    return true;
  }
  const auto host = request.Header("host");
  return host && SameText(*origin, "http://" + std::string(*host));
}

}  // namespace vex::remote
