// The metrics of a real vexserver whose engine is slow or hangs, in the terminal and in the
// window under a real X server: a scrape never waits for the engine, and tells what it does;
// wrong tokens ban their address from the metrics, as wrong passwords do from the remote console.
#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <signal.h>
#include <sys/socket.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <optional>
#include <regex>
#include <string>
#include <vector>

#include "remote/RconPacket.h"
#include "tests/remote/HttpGet.h"
#include "tests/remote/RconClient.h"
#include "tests/support/ChildProcess.h"
#include "tests/support/ProgramFixtures.h"
#include "tests/support/ScratchFolder.h"
#include "tests/support/UnusedPort.h"
#include "tests/support/WaitUntil.h"
#include "tests/support/XDisplay.h"

namespace vex::test {
namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;

// The value of the sample written exactly so (name and labels), or nothing.
std::optional<double> Sample(const std::string& text, const std::string& sample) {
  const std::size_t at = text.find("\n" + sample + " ");
  if (at == std::string::npos) {
    return std::nullopt;
  }
  return std::stod(text.substr(at + sample.size() + 2));
}

struct EngineCase {
  const char* Name;
  bool Window;
  const char* Engine;  // the bundled engine's switch
  bool Hangs;
};

void PrintTo(const EngineCase& row, std::ostream* out) {
  *out << row.Name;
}

class RealServerMetrics : public ::testing::Test {
 protected:
  RealServerMetrics() {}

  // A console server hosting on the game port, with the metrics and without the query.
  std::vector<std::string> HostingOn(int gamePort) const {
    return {"-console",
            "-config",
            "deathmatch",
            "-port",
            std::to_string(gamePort),
            "-queryport",
            "0",
            "-metricsport",
            std::to_string(metricsPort_)};
  }

  void ExpectExposedAsZero(const char* name) {
    EXPECT_EQ(Sample(ScrapeUntil([&](const std::string& scraped) {
                       return Sample(scraped, name).has_value();
                     }),
                     name),
              0.0);
  }

  // Scrapes until `good` holds for the text or time is up; the last text.
  template <class Good>
  std::string ScrapeUntil(Good good) {
    std::string text;
    WaitUntil(
        [&] {
          text = HttpGet(metricsPort_, "/metrics").value_or("");
          return good(text);
        },
        30s, 100ms);
    return text;
  }

  GameFolder game_;
  ScratchFolder folder_;
  int metricsPort_ = UnusedPort();
};

class MetricsOfATroubledEngine : public RealServerMetrics,
                                 public ::testing::WithParamInterface<EngineCase> {};

TEST_P(MetricsOfATroubledEngine, ScrapesAreAnsweredAndTellHowTheFramesGo) {
  std::optional<XDisplay> display;
  std::vector<std::string> environment{"VEX_SIM_BOTS=2", GetParam().Engine};
  std::vector<std::string> arguments{
      "-config",    "deathmatch", "-port",        "0",
      "-queryport", "0",          "-metricsport", std::to_string(metricsPort_)};
  if (GetParam().Window) {
    display.emplace();
    ASSERT_FALSE(display->Name().empty()) << display->Failure();
    const std::vector<std::string> x = display->Environment();
    environment.insert(environment.end(), x.begin(), x.end());
    environment.push_back("LSAN_OPTIONS=suppressions=" + std::string(VEX_SOURCE_DIR) +
                          "/tests/app/x11-lsan.supp");
  } else {
    arguments.insert(arguments.begin(), "-console");
  }
  ChildProcess server(kProgram, arguments, game_.Path(), environment);
  ASSERT_TRUE(server.WaitForOutput("/metrics", 30s)) << server.Output() << server.Errors();

  if (GetParam().Hangs) {
    const std::string text = ScrapeUntil([](const std::string& scraped) {
      return Sample(scraped, "vexserver_engine_responding") == 0.0 &&
             Sample(scraped, "vexserver_frames_total") > 0.0;
    });
    EXPECT_EQ(Sample(text, "vexserver_engine_responding"), 0.0) << text;
    EXPECT_GT(Sample(text, "vexserver_seconds_since_last_frame").value_or(0), 1.0) << text;
    // Frames stay where they stopped, and the scrape still answers.
    const std::optional<double> frames = Sample(text, "vexserver_frames_total");
    EXPECT_EQ(Sample(HttpGet(metricsPort_, "/metrics").value_or(""), "vexserver_frames_total"),
              frames);
  } else {
    // Every frame takes 60 ms: none within 50 ms, and each next one starts about 27 ms late.
    const std::string text = ScrapeUntil([](const std::string& scraped) {
      return Sample(scraped, "vexserver_frame_start_lateness_seconds_count") >= 10.0;
    });
    EXPECT_EQ(Sample(text, "vexserver_frame_duration_seconds_bucket{le=\"0.05\"}"), 0.0) << text;
    EXPECT_LT(Sample(text, "vexserver_frame_start_lateness_seconds_bucket{le=\"0.02\"}"),
              Sample(text, "vexserver_frame_start_lateness_seconds_count"))
        << text;
    EXPECT_EQ(Sample(text, "vexserver_engine_responding"), 1.0) << text;
  }
}

INSTANTIATE_TEST_SUITE_P(
    FrontEnds, MetricsOfATroubledEngine,
    ::testing::Values(EngineCase{"ConsoleSlow", false, "VEX_SIM_FRAME_MS=60", false},
                      EngineCase{"ConsoleHung", false, "VEX_SIM_FAULT=hang:30", true},
                      EngineCase{"WindowSlow", true, "VEX_SIM_FRAME_MS=60", false},
                      EngineCase{"WindowHung", true, "VEX_SIM_FAULT=hang:30", true}),
    [](const auto& row) { return std::string(row.param.Name); });

TEST_F(RealServerMetrics, LinesThatAStalledTerminalDidNotTakeAreCounted) {
  ChildProcess server(kProgram,
                      {"-console", "-config", "deathmatch", "-port", "0", "-queryport", "0",
                       "-metricsport", std::to_string(metricsPort_)},
                      game_.Path());
  ASSERT_TRUE(server.WaitForOutput("/metrics", 30s)) << server.Output() << server.Errors();
  EXPECT_EQ(Sample(HttpGet(metricsPort_, "/metrics").value_or(""),
                   "vexserver_console_lines_dropped_total"),
            0.0);
  server.StallOutput();
  std::string lines;
  for (int i = 0; i < 2000; ++i) {
    lines += "/help\n";
  }
  server.Write(lines);
  const std::string text = ScrapeUntil([](const std::string& scraped) {
    return Sample(scraped, "vexserver_console_lines_dropped_total") > 0.0;
  });
  EXPECT_GT(Sample(text, "vexserver_console_lines_dropped_total"), 0.0) << text;
}

TEST_F(RealServerMetrics, DatagramsTheGamePortDroppedAreCounted) {
  const int gamePort = UnusedPort();
  ChildProcess server(kProgram, HostingOn(gamePort), game_.Path());
  ASSERT_TRUE(server.WaitForOutput("Hosting", 30s)) << server.Output() << server.Errors();
  constexpr const char* kDropped = "vexserver_game_port_dropped_datagrams_total";
  ExpectExposedAsZero(kDropped);
  const int sender = socket(AF_INET, SOCK_DGRAM, 0);
  sockaddr_in to{};
  to.sin_family = AF_INET;
  to.sin_port = htons(static_cast<std::uint16_t>(gamePort));
  to.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  for (const std::string& garbage :
       {std::string("x"), std::string("not the protocol at all"), std::string(40, '\xff')}) {
    sendto(sender, garbage.data(), garbage.size(), 0, reinterpret_cast<const sockaddr*>(&to),
           sizeof to);
  }
  close(sender);
  const std::string text =
      ScrapeUntil([&](const std::string& scraped) { return Sample(scraped, kDropped) >= 3.0; });
  EXPECT_EQ(Sample(text, kDropped), 3.0) << text;
}

// A stopped server reads nothing: what arrives past its socket's receive buffer the kernel drops,
// and the server counts it once it runs again, apart from what the engine dropped.
TEST_F(RealServerMetrics, DatagramsTheKernelDroppedFromAFullGamePortAreCounted) {
  const int gamePort = UnusedPort();
  ChildProcess server(kProgram, HostingOn(gamePort), game_.Path());
  ASSERT_TRUE(server.WaitForOutput("Hosting", 30s)) << server.Output() << server.Errors();
  constexpr const char* kDropped = "vexserver_game_port_socket_dropped_datagrams_total";
  ExpectExposedAsZero(kDropped);
  server.Signal(SIGSTOP);
  const int sender = socket(AF_INET, SOCK_DGRAM, 0);
  sockaddr_in to{};
  to.sin_family = AF_INET;
  to.sin_port = htons(static_cast<std::uint16_t>(gamePort));
  to.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  // Far more than the largest receive buffer the kernel grants (net.core.rmem_max).
  const std::string datagram(1000, 'x');
  for (int i = 0; i < 20000; ++i) {
    sendto(sender, datagram.data(), datagram.size(), 0, reinterpret_cast<const sockaddr*>(&to),
           sizeof to);
  }
  close(sender);
  server.Signal(SIGCONT);
  const std::string text =
      ScrapeUntil([&](const std::string& scraped) { return Sample(scraped, kDropped) > 0.0; });
  EXPECT_GT(Sample(text, kDropped), 0.0) << text;
}

// The status line of one GET of /metrics with these headers.
std::string MetricsStatus(int port, const std::string& headers) {
  LoopbackStream stream(port);
  stream.Send("GET /metrics HTTP/1.1\r\nHost: 127.0.0.1\r\n" + headers + "\r\n");
  const std::string answer = stream.ReceiveUntilClosed();
  return answer.substr(0, answer.find("\r\n"));
}

// A ban shuts an address out of the services whose secret it guessed, and no more: the
// monitoring host stays up after an admin's typos there, and a guessed token does not keep the
// admin out of the remote console.
TEST_F(RealServerMetrics, ABanShutsOnlyTheServicesWhoseSecretWasGuessed) {
  const fs::path tokenFile = folder_.Path() / "metrics.token";
  std::ofstream(tokenFile) << "right token\n";
  fs::permissions(tokenFile, fs::perms::owner_read | fs::perms::owner_write);
  ChildProcess server(kProgram,
                      {"-console", "-config", "deathmatch", "-port", "0", "-queryport", "0",
                       "-rconport", "0", "-rconbind", "127.0.0.1", "-metricsport",
                       std::to_string(metricsPort_), "-metricstoken-file", tokenFile.string()},
                      game_.Path(), {"VEX_RCON_PASSWORD=s3cret"});
  ASSERT_TRUE(server.WaitForOutput("/metrics", 30s)) << server.Output() << server.Errors();
  std::smatch match;
  const std::string started = server.Output();
  ASSERT_TRUE(std::regex_search(started, match, std::regex("RCON: listening on TCP port ([0-9]+)")))
      << started;
  const int rconPort = std::stoi(match[1]);
  const auto rconSignsIn = [&](const std::string& password) {
    RconClient client(rconPort);
    client.Send(remote::EncodeRconPacket(1, remote::kRconAuth, password));
    const auto verdict = client.Verdict();
    return verdict && verdict->Id == 1;
  };
  const std::string right = "Authorization: Bearer right token\r\n";
  ASSERT_EQ(MetricsStatus(metricsPort_, right), "HTTP/1.1 200 OK");
  // A scrape without a token is no guess, however often it comes.
  for (int i = 0; i < 6; ++i) {
    EXPECT_EQ(MetricsStatus(metricsPort_, ""), "HTTP/1.1 401 Unauthorized");
  }
  EXPECT_EQ(MetricsStatus(metricsPort_, right), "HTTP/1.1 200 OK");

  // Five wrong passwords on the remote console ban the address there, not from the metrics.
  for (int i = 0; i < 5; ++i) {
    EXPECT_FALSE(rconSignsIn("typo" + std::to_string(i)));
  }
  ASSERT_TRUE(server.WaitForOutput("The address is banned for 10 minutes.", 5s)) << server.Output();
  EXPECT_FALSE(rconSignsIn("s3cret"));
  EXPECT_EQ(MetricsStatus(metricsPort_, right), "HTTP/1.1 200 OK");

  // Five wrong tokens ban the address from the metrics, even with the right token.
  for (int i = 0; i < 5; ++i) {
    EXPECT_EQ(
        MetricsStatus(metricsPort_, "Authorization: Bearer guess" + std::to_string(i) + "\r\n"),
        "HTTP/1.1 401 Unauthorized");
  }
  ASSERT_TRUE(server.WaitForOutput("Metrics: wrong token from 127.0.0.1:", 5s)) << server.Output();
  ASSERT_TRUE(server.CollectUntil(
      [&] {
        const std::string& output = server.Output();
        const std::string ban = "The address is banned for 10 minutes.";
        return output.find(ban) != output.rfind(ban);
      },
      5s))
      << server.Output();
  EXPECT_EQ(MetricsStatus(metricsPort_, right), "HTTP/1.1 429 Too Many Requests");
}

}  // namespace
}  // namespace vex::test
