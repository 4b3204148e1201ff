// The web page's parts without Qt: the strict request reader, form and cookie fields, sessions
// and their tokens, JSON text, and the plots' minute ring.
#include <gtest/gtest.h>

#include <string>

#include "remote/HttpRequest.h"
#include "remote/JsonText.h"
#include "remote/PlotHistory.h"
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

TEST(HttpRequestReader, RefusesWhatIsTooLargeOrNotStrictHttp) {
  const struct {
    std::string Bytes;
    int Status;
  } cases[] = {
      {"GET /" + std::string(3000, 'a'), 414},
      {"GET / HTTP/1.1\r\nA: " + std::string(9000, 'b'), 431},
      {"POST / HTTP/1.1\r\nContent-Length: 8193\r\n\r\n", 413},
      {"POST / HTTP/1.1\r\nContent-Length: -1\r\n\r\n", 400},
      {"POST / HTTP/1.1\r\nContent-Length: 2\r\n\r\nabc", 400},
      {"POST / HTTP/1.1\r\nTransfer-Encoding: chunked\r\n\r\n", 501},
      {"GET / HTTP/1.0\r\n\r\n", 400},
      {"GET http://x/ HTTP/1.1\r\n\r\n", 400},
      {"GET / HTTP/1.1\r\nBad Name: 1\r\n\r\n", 400},
      {"GET / HTTP/1.1\r\n folded\r\n\r\n", 400},
      {"GET / HTTP/1.1\r\nA: \x01\r\n\r\n", 400},
  };
  for (const auto& c : cases) {
    HttpRequestReader reader;
    EXPECT_EQ(reader.Feed(c.Bytes), State::Failed) << c.Bytes.substr(0, 50);
    EXPECT_EQ(reader.FailureStatus(), c.Status) << c.Bytes.substr(0, 50);
  }
  std::string manyHeaders = "GET / HTTP/1.1\r\n";
  for (int i = 0; i < 49; ++i) {
    manyHeaders += "A" + std::to_string(i) + ": 1\r\n";
  }
  HttpRequestReader reader;
  EXPECT_EQ(reader.Feed(manyHeaders + "\r\n"), State::Failed);
  EXPECT_EQ(reader.FailureStatus(), 431);
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

TEST(ConstantTimeEqual, ComparesWholeTexts) {
  EXPECT_TRUE(ConstantTimeEqual("token", "token"));
  EXPECT_FALSE(ConstantTimeEqual("token", "tokem"));
  EXPECT_FALSE(ConstantTimeEqual("token", "token2"));
  EXPECT_FALSE(ConstantTimeEqual("", "x"));
}

TEST(JsonText, EveryByteSequenceBecomesValidJson) {
  const struct {
    std::string In;
    std::string Out;
  } cases[] = {
      {"<img src=x onerror=alert(1)>", "\"<img src=x onerror=alert(1)>\""},
      {"a\"b\\c\n\x1b", "\"a\\\"b\\\\c\\u000a\\u001b\""},
      {"caf\xC3\xA9 \xE2\x82\xAC", "\"caf\xC3\xA9 \xE2\x82\xAC\""},
      {"\xFF\xC3", "\"\xEF\xBF\xBD\xEF\xBF\xBD\""},
      {"\xED\xA0\x80", "\"\xEF\xBF\xBD\xEF\xBF\xBD\xEF\xBF\xBD\""},  // a surrogate
      {"\xC0\xAF", "\"\xEF\xBF\xBD\xEF\xBF\xBD\""},                  // overlong
  };
  for (const auto& c : cases) {
    std::string out;
    AppendJsonString(out, c.In);
    EXPECT_EQ(out, c.Out);
  }
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
