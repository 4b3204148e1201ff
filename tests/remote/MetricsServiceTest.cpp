// The metrics service on real sockets with a stand-in host: the token, the paths and methods,
// and the bounds that Prometheus never reaches.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <chrono>
#include <future>
#include <string>
#include <string_view>
#include <vector>

#include "services/MetricsService.h"
#include "tests/remote/LoopbackStream.h"
#include "tests/remote/NetworkServiceTest.h"
#include "tests/support/WaitUntil.h"

namespace vex::services {
namespace {

using namespace std::chrono_literals;

constexpr const char* kToken = "s3cret token";
constexpr const char* kMetrics = "# TYPE vexserver_players gauge\nvexserver_players 3\n";

class FixedMetrics final : public IMetricsHost {
 public:
  std::string MetricsText() override {
    ++scrapes;
    return kMetrics;
  }
  void ReportRemoteEvent(std::string_view text) override { events.emplace_back(text); }
  int scrapes = 0;
  std::vector<std::string> events;
};

// What the server sent until it closed, or what came within the time.
std::string AnswerUntilClose(test::LoopbackStream& stream, std::chrono::milliseconds limit = 5s) {
  std::string text;
  test::WaitUntil([&] { return !stream.ReceiveSome(text); }, limit, 0ms);
  return text;
}

std::string Exchange(int port, const std::string& request) {
  test::LoopbackStream stream(port);
  stream.Send(request);
  return AnswerUntilClose(stream);
}

struct ScrapeCase {
  const char* Name;
  std::string Request;
  const char* Status;
};

void PrintTo(const ScrapeCase& row, std::ostream* out) {
  *out << row.Name;
}

class MetricsServiceTest : public test::NetworkServiceTest,
                           public ::testing::WithParamInterface<ScrapeCase> {
 protected:
  void Start(MetricsSettings settings) {
    service_ = std::make_unique<MetricsService>(host_, settings);
    std::string error;
    ASSERT_TRUE(service_->Start(error)) << error;
  }

  template <class Work>
  void WithClients(Work work) {
    auto done = std::async(std::launch::async, [&] { work(service_->Port()); });
    while (done.wait_for(0ms) != std::future_status::ready) {
      QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    }
    done.get();
  }

  FixedMetrics host_;
  std::unique_ptr<MetricsService> service_;
};

std::string Get(const std::string& path, const std::string& headers = {}) {
  return "GET " + path + " HTTP/1.1\r\nHost: x\r\n" + headers + "\r\n";
}

TEST_P(MetricsServiceTest, AnswersAScrapeOnlyWithTheToken) {
  MetricsSettings settings;
  settings.Token = kToken;
  Start(settings);
  WithClients([&](int port) {
    const std::string answer = Exchange(port, GetParam().Request);
    EXPECT_EQ(answer.substr(0, 12), std::string("HTTP/1.1 ") + GetParam().Status) << answer;
    const bool answered = answer.find(kMetrics) != std::string::npos;
    EXPECT_EQ(answered, std::string(GetParam().Status) == "200") << answer;
    if (std::string(GetParam().Status) == "401") {
      EXPECT_NE(answer.find("WWW-Authenticate: Bearer"), std::string::npos) << answer;
    }
  });
  const bool answered = std::string(GetParam().Status) == "200";
  // Only a token offered and refused is a wrong guess, reported and counted.
  const bool guessed = std::string(GetParam().Status) == "401" &&
                       GetParam().Request.find("Authorization:") != std::string::npos;
  EXPECT_EQ(host_.scrapes, answered ? 1 : 0);
  EXPECT_EQ(service_->SignIns().Succeeded, answered ? 1u : 0u);
  EXPECT_EQ(service_->SignIns().Failed, guessed ? 1u : 0u);
  EXPECT_EQ(host_.events.size(), guessed ? 1u : 0u);
}

INSTANTIATE_TEST_SUITE_P(
    Requests, MetricsServiceTest,
    ::testing::Values(
        ScrapeCase{"RightToken", Get("/metrics", "Authorization: Bearer s3cret token\r\n"), "200"},
        ScrapeCase{"NoToken", Get("/metrics"), "401"},
        ScrapeCase{"WrongToken", Get("/metrics", "Authorization: Bearer s3cret tokem\r\n"), "401"},
        ScrapeCase{"TokenStart", Get("/metrics", "Authorization: Bearer s3cret\r\n"), "401"},
        ScrapeCase{"TokenAndMore", Get("/metrics", "Authorization: Bearer s3cret token2\r\n"),
                   "401"},
        ScrapeCase{"OtherScheme", Get("/metrics", "Authorization: Basic s3cret token\r\n"), "401"},
        ScrapeCase{"OtherPath", Get("/", "Authorization: Bearer s3cret token\r\n"), "404"},
        ScrapeCase{"Post",
                   "POST /metrics HTTP/1.1\r\nHost: x\r\nAuthorization: Bearer s3cret "
                   "token\r\nContent-Length: 0\r\n\r\n",
                   "405"},
        ScrapeCase{"NotHttp", "\x16\x03\x01 hello\xfc\r\n\r\n", "400"},
        ScrapeCase{"HugeHead", "GET /metrics HTTP/1.1\r\nX: " + std::string(9000, 'a'), "431"}),
    [](const auto& row) { return std::string(row.param.Name); });

TEST_F(MetricsServiceTest, WithoutATokenEveryScrapeIsAnsweredInTheTextFormat) {
  Start({});
  WithClients([&](int port) {
    const std::string answer = Exchange(port, Get("/metrics"));
    EXPECT_EQ(answer.substr(0, 12), "HTTP/1.1 200") << answer;
    EXPECT_NE(answer.find("Content-Type: text/plain; version=0.0.4; charset=utf-8\r\n"),
              std::string::npos)
        << answer;
  });
}

// Slow strangers never keep a scrape out: past either bound, the connection that has waited
// longest for its request makes room; the others' half requests end after the time.
TEST_F(MetricsServiceTest, SlowConnectionsMakeRoomForAScrapeAndTimeOut) {
  MetricsSettings settings;
  settings.MaxConnections = 3;
  settings.MaxConnectionsPerAddress = 2;
  settings.RequestTimeoutMs = 300;
  Start(settings);
  WithClients([&](int port) {
    test::LoopbackStream first(port, "127.0.0.2");
    test::LoopbackStream second(port, "127.0.0.2");
    test::LoopbackStream third(port, "127.0.0.2");
    test::LoopbackStream elsewhere(port, "127.0.0.3");
    for (test::LoopbackStream* slow : {&first, &second, &third, &elsewhere}) {
      slow->Send("GET /metrics HTTP/1.1\r\n");
    }
    EXPECT_EQ(Exchange(port, Get("/metrics")).substr(0, 12), "HTTP/1.1 200");
    // The third took the first's slot of its address, the scrape the second's of all.
    EXPECT_EQ(AnswerUntilClose(first), "");
    EXPECT_EQ(AnswerUntilClose(second), "");
    EXPECT_EQ(AnswerUntilClose(third).substr(0, 12), "HTTP/1.1 408");
    EXPECT_EQ(AnswerUntilClose(elsewhere).substr(0, 12), "HTTP/1.1 408");
  });
}

}  // namespace
}  // namespace vex::services
