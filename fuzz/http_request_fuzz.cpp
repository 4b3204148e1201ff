// The web page's request reader gets the same bytes whole and in pieces whose sizes the input
// chooses, as TCP may deliver them: the outcome (state, failure status, request read) must be
// the same either way.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string_view>

#include "remote/HttpRequest.h"

namespace {

using vex::remote::HttpLimits;
using vex::remote::HttpRequestReader;

void Require(bool holds, const char* what) {
  if (!holds) {
    std::fprintf(stderr, "http_request_fuzz: %s\n", what);
    std::abort();
  }
}

// Small limits, so that short inputs reach every one of them.
constexpr HttpLimits kLimits{64, 160, 6, 32};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 2) {
    return 0;
  }
  // The first two bytes choose the cuts, the rest is the request.
  const std::uint16_t cuts = static_cast<std::uint16_t>(data[0] | (data[1] << 8));
  const std::string_view input(reinterpret_cast<const char*>(data) + 2, size - 2);

  HttpRequestReader whole(kLimits);
  whole.Feed(input);

  HttpRequestReader pieces(kLimits);
  std::size_t at = 0;
  for (unsigned step = 0; at < input.size(); ++step) {
    const std::size_t length = 1 + ((cuts >> (step % 13)) & 7u) * ((step % 3) + 1);
    pieces.Feed(input.substr(at, length));
    at += length;
  }

  Require(whole.Current() == pieces.Current(), "whole and pieces end in different states");
  Require(whole.FailureStatus() == pieces.FailureStatus(), "different failure statuses");
  if (whole.Current() == HttpRequestReader::State::Complete) {
    const auto& a = whole.Request();
    const auto& b = pieces.Request();
    Require(
        a.Method == b.Method && a.Target == b.Target && a.Headers == b.Headers && a.Body == b.Body,
        "different requests read");
    Require(a.Body.size() <= kLimits.Body, "a body past its limit");
    Require(a.Headers.size() <= kLimits.HeaderCount, "more headers than the limit");
  }
  return 0;
}
