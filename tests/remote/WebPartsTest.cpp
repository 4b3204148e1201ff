// The web page's parts without Qt: the strict request reader, form and cookie fields, sessions
// and their tokens, and the plots' minute ring.
#include <gtest/gtest.h>

#include <ostream>
#include <string>
#include <vector>

#include "remote/HttpRequest.h"
#include "remote/PlotHistory.h"
#include "remote/SecretEqual.h"
#include "remote/WebOrigin.h"
#include "remote/WebSessions.h"

namespace vex::remote {
namespace {

using State = HttpRequestReader::State;

TEST(HttpRequestReader, ReadsARequestThatArrivesInPiecesWithItsBody) {
  HttpRequestReader reader;
  const std::string request =
      "POST /api/command?x=1 HTTP/1.1\r\nHost: a\r\nCookie: a=1; vexweb=abc\r\n"
      "Content-Length: 11\r\n\r\nline=status";
  for (std::size_t i = 0; i + 1 < request.size(); ++i) {
    ASSERT_EQ(reader.Feed(request.substr(i, 1)), State::Reading) << i;
  }
  ASSERT_EQ(reader.Feed(request.substr(request.size() - 1)), State::Complete);
  const HttpRequest& read = reader.Request();
  EXPECT_EQ(read.Method, "POST");
  EXPECT_EQ(read.Path(), "/api/command");
  EXPECT_EQ(FormField(read.Body, "line"), "status");
  EXPECT_EQ(CookieValue(*read.Header("cookie"), "vexweb"), "abc");
}

// A reverse proxy speaks HTTP/1.0 to its backend by default; it names the host all the same.
TEST(HttpRequestReader, ReadsAnHttp10Request) {
  HttpRequestReader reader;
  ASSERT_EQ(reader.Feed("GET /events HTTP/1.0\r\nHost: 127.0.0.1:8080\r\n\r\n"), State::Complete);
  EXPECT_EQ(reader.Request().Path(), "/events");
}

struct RefusedCase {
  std::string Name;
  std::string Bytes;
  int Status;
};

void PrintTo(const RefusedCase& row, std::ostream* out) {
  *out << row.Name;
}

class RefusedRequests : public ::testing::TestWithParam<RefusedCase> {};

// Whole, and a byte at a time: the same status, and at the byte that decides it.
TEST_P(RefusedRequests, FailAsSoonAsTheBytesDecide) {
  HttpRequestReader whole;
  EXPECT_EQ(whole.Feed(GetParam().Bytes), State::Failed);
  EXPECT_EQ(whole.FailureStatus(), GetParam().Status);
  HttpRequestReader trickled;
  for (const char byte : GetParam().Bytes) {
    trickled.Feed(std::string_view(&byte, 1));
  }
  EXPECT_EQ(trickled.Current(), State::Failed);
  EXPECT_EQ(trickled.FailureStatus(), GetParam().Status);
}

const std::string kHost = "Host: localhost\r\n";

std::string ManyHeaders(int count) {
  std::string head = "GET / HTTP/1.1\r\n" + kHost;
  for (int i = 1; i < count; ++i) {
    head += "A" + std::to_string(i) + ": 1\r\n";
  }
  return head + "\r\n";
}

INSTANTIATE_TEST_SUITE_P(
    Http, RefusedRequests,
    ::testing::Values(
        RefusedCase{"LongRequestLine", "GET /" + std::string(3000, 'a'), 414},
        RefusedCase{"LongHead", "GET / HTTP/1.1\r\nA: " + std::string(9000, 'b'), 431},
        RefusedCase{"LargeBody", "POST / HTTP/1.1\r\n" + kHost + "Content-Length: 8193\r\n\r\n",
                    413},
        RefusedCase{"NegativeLength", "POST / HTTP/1.1\r\n" + kHost + "Content-Length: -1\r\n\r\n",
                    400},
        RefusedCase{
            "TwoDifferentLengths",
            "POST / HTTP/1.1\r\n" + kHost + "Content-Length: 2\r\nContent-Length: 3\r\n\r\nabc",
            400},
        RefusedCase{"Chunked", "POST / HTTP/1.1\r\n" + kHost + "Transfer-Encoding: chunked\r\n\r\n",
                    501},
        RefusedCase{"NoHost", "GET / HTTP/1.1\r\n\r\n", 400},
        RefusedCase{"TwoHosts", "GET / HTTP/1.1\r\n" + kHost + kHost + "\r\n", 400},
        RefusedCase{"BareLineFeedEndsTheRequestLine", "GET / HTTP/1.1\n", 400},
        RefusedCase{"BareLineFeedEndsAHeader", "GET / HTTP/1.1\r\nHost: a\n", 400},
        RefusedCase{"Http10WithoutHost", "GET / HTTP/1.0\r\n\r\n", 400},
        RefusedCase{"Http2", "GET / HTTP/2.0\r\n" + kHost + "\r\n", 400},
        RefusedCase{"AbsoluteTarget", "GET http://x/ HTTP/1.1\r\n\r\n", 400},
        RefusedCase{"BlankInName", "GET / HTTP/1.1\r\nBad Name: 1\r\n\r\n", 400},
        RefusedCase{"FoldedLine", "GET / HTTP/1.1\r\n folded\r\n\r\n", 400},
        RefusedCase{"ControlByte", "GET / HTTP/1.1\r\nA: \x01\r\n\r\n", 400},
        RefusedCase{"FortyNineHeaders", ManyHeaders(49), 431}),
    [](const auto& row) { return row.param.Name; });

struct Outcome {
  State Final;
  int Status;
  std::string Body;
  bool operator==(const Outcome&) const = default;
};

Outcome Read(const std::string& bytes, std::size_t cut) {
  HttpRequestReader reader;
  reader.Feed(std::string_view(bytes).substr(0, cut));
  reader.Feed(std::string_view(bytes).substr(cut));
  return {reader.Current(), reader.FailureStatus(),
          reader.Current() == State::Complete ? reader.Request().Body : ""};
}

// Requests at the edges of the limits, cut in two at every place near an edge.
TEST(HttpRequestReader, GivesOneAnswerHoweverTheBytesAreSplit) {
  const std::string longestLine = "GET /" + std::string(2048 - 14, 'a') + " HTTP/1.1";
  const std::string fullHead = [] {
    std::string head = "GET / HTTP/1.1\r\n" + kHost + "A: ";
    head += std::string(8192 - head.size() - 2, 'b') + "\r\n";
    return head;
  }();
  const std::vector<std::string> requests = {
      longestLine + "\r\n" + kHost + "\r\n",
      "G" + longestLine + "\r\n" + kHost + "\r\n",
      fullHead + "\r\n",
      "B" + fullHead + "\r\n",
      "POST / HTTP/1.1\r\n" + kHost + "Content-Length: 3\r\n\r\nabcdef",
      "GET / HTTP/1.1\r\nHost: a\r\n\n",
  };
  for (const std::string& request : requests) {
    const Outcome whole = Read(request, request.size());
    for (const std::size_t edge : {std::size_t{2048}, std::size_t{8192}, request.size()}) {
      for (std::size_t cut = edge > 8 ? edge - 8 : 0; cut <= std::min(edge + 8, request.size());
           ++cut) {
        EXPECT_EQ(Read(request, cut), whole) << request.size() << " bytes cut at " << cut;
      }
    }
  }
  EXPECT_EQ(Read(requests[0], 0).Final, State::Complete);
  EXPECT_EQ(Read(requests[1], 0).Status, 414);
  EXPECT_EQ(Read(requests[2], 0).Final, State::Complete);
  EXPECT_EQ(Read(requests[3], 0).Status, 431);
  EXPECT_EQ(Read(requests[4], 0).Body, "abc");
}

HttpRequest WithHeaders(std::vector<std::pair<std::string, std::string>> headers) {
  HttpRequest request;
  request.Method = "POST";
  request.Target = "/login";
  request.Headers = std::move(headers);
  return request;
}

TEST(WebOrigin, AnswersForAddressesLocalhostAndGivenNamesOnly) {
  const std::vector<std::string> names = {"admin.example"};
  for (const char* host : {"127.0.0.1:8080", "localhost:8080", "LOCALHOST", "[::1]:8080",
                           "192.0.2.4", "admin.example:80"}) {
    EXPECT_TRUE(HostAllowed(WithHeaders({{"host", host}}), names)) << host;
  }
  for (const char* host : {"attacker.example", "localhost.attacker.example:8080", "", "[::1",
                           "[::1]evil.example", "[::1]:80evil", "127.0.0.1:80evil", "localhost:"}) {
    EXPECT_FALSE(HostAllowed(WithHeaders({{"host", host}}), names)) << host;
  }
  EXPECT_FALSE(HostAllowed(WithHeaders({}), names));
}

TEST(WebOrigin, ChangesComeOnlyFromThePageItself) {
  const std::pair<std::string, std::string> host{"host", "127.0.0.1:8080"};
  EXPECT_TRUE(FromThisPage(WithHeaders({host, {"origin", "http://127.0.0.1:8080"}})));
  EXPECT_TRUE(FromThisPage(WithHeaders({host})));  // a tool, not a browser
  EXPECT_TRUE(FromThisPage(
      WithHeaders({host, {"origin", "http://127.0.0.1:8080"}, {"sec-fetch-site", "same-origin"}})));
  EXPECT_FALSE(FromThisPage(WithHeaders({host, {"origin", "null"}})));
  EXPECT_FALSE(FromThisPage(WithHeaders({host, {"origin", "http://127.0.0.1:9090"}})));
  EXPECT_FALSE(FromThisPage(WithHeaders({host, {"origin", "https://attacker.example"}})));
  EXPECT_FALSE(FromThisPage(WithHeaders({host, {"sec-fetch-site", "cross-site"}})));
}

TEST(FormField, DecodesAndRefusesBrokenEscapes) {
  EXPECT_EQ(FormField("a=1&line=say+hi%21", "line"), "say hi!");
  EXPECT_EQ(FormField("line=%4", "line"), std::nullopt);
  EXPECT_EQ(FormField("line=%zz", "line"), std::nullopt);
  EXPECT_EQ(FormField("lines=1", "line"), std::nullopt);
}

TEST(WebSessions, FindOnlyOpenUnexpiredSessionsAndEvictTheLeastRecentlyUsed) {
  WebSessions sessions({2, 1000});
  const auto first = sessions.Open(0);
  ASSERT_TRUE(first);
  EXPECT_EQ(first->Id.size(), 64u);
  EXPECT_NE(first->Id, first->CsrfToken);
  ASSERT_NE(sessions.Find(first->Id, 900), nullptr);
  std::string altered = first->Id;
  altered.back() = altered.back() == '0' ? '1' : '0';
  EXPECT_EQ(sessions.Find(altered, 900), nullptr);
  EXPECT_EQ(sessions.Find("", 900), nullptr);

  const auto second = sessions.Open(950);
  sessions.Find(first->Id, 960);
  const auto third = sessions.Open(970);  // the second is the least recently used
  EXPECT_EQ(sessions.Find(second->Id, 980), nullptr);
  EXPECT_NE(sessions.Find(first->Id, 980), nullptr);
  EXPECT_NE(sessions.Find(third->Id, 980), nullptr);

  EXPECT_EQ(sessions.Find(first->Id, 980 + 1000), nullptr);  // idle too long
  sessions.Close(third->Id);
  EXPECT_EQ(sessions.Find(third->Id, 990), nullptr);
}

TEST(SecretsEqual, MatchesTheWholeSecretOnly) {
  EXPECT_TRUE(SecretsEqual("token", "token"));
  EXPECT_FALSE(SecretsEqual("token", "tokem"));
  EXPECT_FALSE(SecretsEqual("token", "token2"));
  EXPECT_FALSE(SecretsEqual("tokentoken", "token"));  // the secret twice over
  EXPECT_FALSE(SecretsEqual("", "x"));
  EXPECT_FALSE(SecretsEqual("", ""));
}

TEST(PlotHistory, KeepsTheLastHourAndTheCurrentMinute) {
  PlotHistory history;
  EXPECT_TRUE(history.Minutes().empty());
  history.Record(7, 3, 30, 4000, 1000);
  ASSERT_EQ(history.Minutes().size(), 1u);  // the unfinished first minute is there at once
  history.Record(8, 4, 30, 9000, 1000);
  const auto first = history.Minutes().front();
  EXPECT_EQ(first.Players, 4u);
  EXPECT_EQ(first.Frames, 60u);
  EXPECT_EQ(first.SlowestFrameUs, 9000u);
  EXPECT_EQ(first.CoveredMs, 2000u);

  for (std::int64_t minute = 1; minute <= 100; ++minute) {
    history.Record(minute * 60, static_cast<std::uint32_t>(minute), 1, 1, 1000);
  }
  const auto minutes = history.Minutes();
  ASSERT_EQ(minutes.size(), PlotHistory::kMinutes + 1);
  EXPECT_EQ(minutes.front().Index, 100 - static_cast<std::int64_t>(PlotHistory::kMinutes));
  EXPECT_EQ(minutes.back().Index, 100);

  history.Record(200 * 60, 9, 1, 1, 1000);  // a gap of more than an hour leaves one minute
  ASSERT_EQ(history.Minutes().size(), 1u);
  history.Record(10, 1, 1, 1, 1000);  // a clock that went back writes into the newest minute
  EXPECT_EQ(history.Minutes().back().Index, 200);
  EXPECT_EQ(history.Minutes().back().Frames, 2u);
}

}  // namespace
}  // namespace vex::remote
