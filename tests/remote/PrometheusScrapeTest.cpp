// A real Prometheus (Debian's package) scrapes a real vexserver with bots and vexclient players
// through the bearer token, and the values come back through Prometheus's query API.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>
#include <fstream>
#include <optional>
#include <regex>
#include <string>

#include "tests/remote/HttpGet.h"
#include "tests/support/ChildProcess.h"
#include "tests/support/ProgramFixtures.h"
#include "tests/support/ScratchFolder.h"
#include "tests/support/UnusedPort.h"
#include "tests/support/WaitUntil.h"

namespace vex::test {
namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;

constexpr const char* kToken = "scrape-t0ken";
// What a configuration string can hold of a hostile label: quotes and backslashes (a line feed
// cannot be in one, the attribute file's strings end at the line).
constexpr const char* kHostileMap = R"("Worlds\Multi\Q""uote\Back\slash")";
// The level as the window shows it, and as Prometheus's JSON writes that text.
constexpr const char* kHostileLevelJson = R"("level":"Q\"uote\\Back\\slash")";

class PrometheusScrape : public ::testing::Test {
 protected:
  PrometheusScrape() {
    const fs::path data = fs::path(game_.Path()) / "VexMod/ServerData";
    std::ifstream sample(data / "deathmatch.txt");
    std::string configuration((std::istreambuf_iterator<char>(sample)), {});
    const std::regex firstMap("Map00 = \"[^\"]*\"");
    std::ofstream(data / "hostile.txt")
        << std::regex_replace(configuration, firstMap, std::string("Map00 = ") + kHostileMap);
    tokenFile_ = folder_.Write("metrics-token", std::string(kToken) + "\n");
    chmod(tokenFile_.c_str(), 0600);
  }

  // The value of the query's one sample, or nothing while Prometheus has none.
  std::optional<std::string> Query(const std::string& query, std::string* json = nullptr) {
    const auto body = HttpGet(prometheusPort_, "/api/v1/query?query=" + query);
    if (!body) {
      return std::nullopt;
    }
    if (json != nullptr) {
      *json = *body;
    }
    std::smatch match;
    static const std::regex value(R"re("value":\[[0-9.e+]+,"([^"]+)"\])re");
    if (!std::regex_search(*body, match, value)) {
      return std::nullopt;
    }
    return match[1].str();
  }

  // Asks until the answer satisfies `good` or time is up; the last answer.
  template <class Good>
  std::optional<std::string> QueryUntil(const std::string& query, Good good,
                                        std::string* json = nullptr) {
    std::optional<std::string> answer;
    WaitUntil(
        [&] {
          answer = Query(query, json);
          return answer && good(*answer);
        },
        30s, 200ms);
    return answer;
  }

  GameFolder game_;
  ScratchFolder folder_;
  fs::path tokenFile_;
  int gamePort_ = UnusedPort();
  int metricsPort_ = UnusedPort();
  int prometheusPort_ = UnusedPort();
};

TEST_F(PrometheusScrape, PlayersFramesAndTheLevelComeBackThroughTheQueryApi) {
  ChildProcess server(
      kProgram,
      {"-console", "-config", "hostile", "-port", std::to_string(gamePort_), "-queryport", "0",
       "-metricsport", std::to_string(metricsPort_), "-metricstoken-file", tokenFile_.string()},
      game_.Path(), {"VEX_SIM_BOTS=3", "VEX_SIM_SEED=7"});
  ASSERT_TRUE(server.WaitForOutput("/metrics", 20s)) << server.Output() << server.Errors();
  ChildProcess players(
      kClientProgram,
      {"-n", "2", "--name", "real", "--seconds", "60", "127.0.0.1:" + std::to_string(gamePort_)},
      folder_.Path().string());
  ASSERT_TRUE(server.WaitForOutput("real2 joined the game.", 20s)) << server.Output();
  ASSERT_TRUE(server.WaitForOutput("real1 joined the game.", 20s)) << server.Output();

  std::ofstream(folder_.Path() / "prometheus.yml")
      << "global:\n  scrape_interval: 1s\n  scrape_timeout: 1s\n"
      << "scrape_configs:\n  - job_name: vexserver\n"
      << "    authorization:\n      credentials_file: " << tokenFile_.string() << "\n"
      << "    static_configs:\n      - targets: ['127.0.0.1:" << metricsPort_ << "']\n";
  ChildProcess prometheus(
      "/usr/bin/prometheus",
      {"--config.file=" + (folder_.Path() / "prometheus.yml").string(),
       "--storage.tsdb.path=" + (folder_.Path() / "tsdb").string(),
       "--web.listen-address=127.0.0.1:" + std::to_string(prometheusPort_), "--log.level=warn"},
      folder_.Path().string());

  EXPECT_EQ(QueryUntil("up", [](const std::string& up) { return up == "1"; }), "1")
      << prometheus.Errors();
  const auto firstFrames =
      QueryUntil("vexserver_frames_total", [](const std::string&) { return true; });
  ASSERT_TRUE(firstFrames) << prometheus.Errors();
  const auto laterFrames = QueryUntil("vexserver_frames_total", [&](const std::string& frames) {
    return std::stod(frames) > std::stod(*firstFrames);
  });
  ASSERT_TRUE(laterFrames);
  EXPECT_GT(std::stod(*laterFrames), std::stod(*firstFrames));

  server.Write("/status\n");
  ASSERT_TRUE(server.WaitForOutput("Current Players:")) << server.Output();
  std::smatch shown;
  const std::string console = server.Output();
  ASSERT_TRUE(std::regex_search(console, shown, std::regex(R"(Current Players:\s+([0-9]+)/)")));
  EXPECT_EQ(shown[1].str(), "5") << console;
  EXPECT_EQ(QueryUntil("vexserver_players",
                       [&](const std::string& count) { return count == shown[1].str(); }),
            shown[1].str());

  std::string levelJson;
  QueryUntil(
      "vexserver_level_info", [](const std::string&) { return true; }, &levelJson);
  EXPECT_NE(levelJson.find(kHostileLevelJson), std::string::npos) << levelJson;

  // Prometheus's own checker on what the real server answers.
  const auto scrape =
      HttpGet(metricsPort_, "/metrics", "Authorization: Bearer " + std::string(kToken) + "\r\n");
  ASSERT_TRUE(scrape);
  const fs::path saved = folder_.Write("scrape.txt", *scrape);
  ChildProcess check("/bin/sh", {"-c", "exec promtool check metrics < " + saved.string()},
                     folder_.Path().string());
  EXPECT_EQ(check.WaitForExit(30s), 0) << check.Output() << check.Errors() << *scrape;
  EXPECT_EQ(HttpGet(metricsPort_, "/metrics"), std::nullopt) << "answered without the token";
}

}  // namespace
}  // namespace vex::test
