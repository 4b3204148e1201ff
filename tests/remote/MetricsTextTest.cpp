// The metrics' text without a server: the exposition format's escapes and histograms, the
// process figures from /proc, the comparison of the scrape token, and Prometheus's own checker
// on a whole answer with a hostile level name.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <chrono>
#include <string>

#include "remote/MetricsExposition.h"
#include "remote/ProcessStats.h"
#include "remote/ServerMetrics.h"
#include "tests/support/ChildProcess.h"
#include "tests/support/ScratchFolder.h"

namespace vex::remote {
namespace {

using namespace std::chrono_literals;

constexpr const char* kHostileLevel = "Q\"uote\\Back\nNext \xff end";

struct LabelCase {
  const char* Name;
  std::string Value;
  std::string Written;
};

void PrintTo(const LabelCase& row, std::ostream* out) {
  *out << row.Name;
}

class LabelEscapes : public ::testing::TestWithParam<LabelCase> {};

TEST_P(LabelEscapes, ComeOutAsTheFormatReadsThem) {
  MetricsExposition out;
  out.Sample("m", 1, {{"a", GetParam().Value}});
  EXPECT_EQ(out.Text(), "m{a=\"" + GetParam().Written + "\"} 1\n");
}

INSTANTIATE_TEST_SUITE_P(
    Values, LabelEscapes,
    ::testing::Values(LabelCase{"Plain", "Arena 2", "Arena 2"},
                      LabelCase{"Quote", "a\"b", "a\\\"b"},
                      LabelCase{"Backslash", "a\\b\\", "a\\\\b\\\\"},
                      LabelCase{"LineFeed", "a\nb", "a\\nb"},
                      LabelCase{"EscapeLookalike", "\\n", "\\\\n"},
                      LabelCase{"Utf8Kept", "D\xc3\xa9p\xc3\xb4t", "D\xc3\xa9p\xc3\xb4t"},
                      LabelCase{"NotUtf8Replaced", "a\xff\xc3", "a\xef\xbf\xbd\xef\xbf\xbd"},
                      LabelCase{"Empty", "", ""}),
    [](const auto& row) { return std::string(row.param.Name); });

TEST(MetricsExposition, WritesHelpTypeAndNumbersAsPrometheusReadsThem) {
  MetricsExposition out;
  out.Counter("a_total", "Line one\nback\\slash \"quoted\".", 12345678901234.0);
  out.Gauge("b", "B.", 0.25);
  out.Sample("c", std::numeric_limits<double>::infinity());
  out.Sample("d", std::numeric_limits<double>::quiet_NaN(), {{"x", "1"}, {"y", "2"}});
  EXPECT_EQ(out.Text(),
            "# HELP a_total Line one\\nback\\\\slash \"quoted\".\n# TYPE a_total counter\n"
            "a_total 12345678901234\n"
            "# HELP b B.\n# TYPE b gauge\nb 0.25\n"
            "c +Inf\n"
            "d{x=\"1\",y=\"2\"} NaN\n");
}

TEST(MetricsExposition, HistogramBucketsAreCumulativeUpToInfinity) {
  MetricsExposition out;
  out.Histogram("h_seconds", "H.", {{0.001, 0.033, 1}, {2, 0, 5, 1}, 1.5});
  EXPECT_EQ(out.Text(),
            "# HELP h_seconds H.\n# TYPE h_seconds histogram\n"
            "h_seconds_bucket{le=\"0.001\"} 2\n"
            "h_seconds_bucket{le=\"0.033\"} 2\n"
            "h_seconds_bucket{le=\"1\"} 7\n"
            "h_seconds_bucket{le=\"+Inf\"} 8\n"
            "h_seconds_sum 1.5\n"
            "h_seconds_count 8\n");
}

TEST(ProcessStats, ParsesTheStatLineWhateverTheCommandName) {
  // Fields 3 to 24 after a command name with spaces and parentheses; utime 150, stime 50,
  // start time 1000 ticks after boot, 300 resident pages.
  const std::string line =
      "42 (a) b (c)) S 1 42 42 0 -1 4194560 100 0 0 0 150 50 0 0 20 0 3 0 1000 123456 300 "
      "18446744073709551615";
  const auto stats = ParseProcessStat(line, 100, 4096, 1'700'000'000);
  ASSERT_TRUE(stats);
  EXPECT_DOUBLE_EQ(stats->CpuSeconds, 2.0);
  EXPECT_DOUBLE_EQ(stats->ResidentBytes, 300.0 * 4096);
  EXPECT_DOUBLE_EQ(stats->StartTimeSeconds, 1'700'000'010.0);
  for (const char* bad : {"", "42 (x", "42 (x) S 1 2", "42 (x) S 1 42 42 0 -1 4 1 0 0 0 u s"}) {
    EXPECT_FALSE(ParseProcessStat(bad, 100, 4096, 0)) << bad;
  }
}

TEST(ProcessStats, ReadsThisProcess) {
  const auto before = ReadProcessStats();
  ASSERT_TRUE(before);
  const int extra = open("/dev/null", O_RDONLY | O_CLOEXEC);
  const auto after = ReadProcessStats();
  close(extra);
  ASSERT_TRUE(after);
  EXPECT_EQ(after->OpenFds, before->OpenFds + 1);
  EXPECT_GT(before->ResidentBytes, 0);
  const double now =
      std::chrono::duration<double>(std::chrono::system_clock::now().time_since_epoch()).count();
  EXPECT_LE(before->StartTimeSeconds, now + 1);
  EXPECT_GT(before->StartTimeSeconds, now - 24 * 3600);
}

ServerMetrics BusyServer() {
  ServerMetrics server;
  server.Players = 3;
  server.PeakPlayers = 5;
  server.PlayersJoined = 9;
  server.Frames = 1234;
  server.FrameDurations = {{0.001, 0.033}, {10, 2, 1}, 0.07};
  server.FrameLateness = {{0.001, 0.033}, {12, 0, 1}, 0.05};
  server.EngineResponding = true;
  server.SecondsSinceLastFrame = 0.01;
  server.Level = kHostileLevel;
  server.UptimeSeconds = 41;
  server.DroppedDatagrams = 7;
  server.RconSignIns = {2, 1};
  return server;
}

TEST(ServerMetrics, PromtoolAcceptsTheWholeAnswer) {
  test::ScratchFolder folder;
  const auto file = folder.Write("metrics.txt", MetricsText(BusyServer(), ReadProcessStats()));
  // promtool reads the metrics from its standard input.
  test::ChildProcess promtool("/bin/sh", {"-c", "exec promtool check metrics < " + file.string()},
                              folder.Path().string());
  EXPECT_EQ(promtool.WaitForExit(30s), 0) << promtool.Output() << promtool.Errors();
}

TEST(ServerMetrics, HostileLevelNameStaysInsideItsLabel) {
  const std::string text = MetricsText(BusyServer(), std::nullopt);
  EXPECT_NE(text.find("vexserver_level_info{level=\"Q\\\"uote\\\\Back\\nNext \xef\xbf\xbd end\"} "
                      "1\n"),
            std::string::npos)
      << text;
  EXPECT_EQ(text.find("process_"), std::string::npos);
}

}  // namespace
}  // namespace vex::remote
