#include <gtest/gtest.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <ostream>

#include "config/RemoteOptions.h"
#include "tests/support/ScratchFolder.h"

namespace vex {
namespace {

namespace fs = std::filesystem;

struct OptionsCase {
  std::string Name;
  std::vector<std::string> Arguments;
  std::optional<std::uint16_t> RconPort;
  std::optional<std::uint16_t> QueryPort;
  std::string RconBind;
  bool Error = false;
  std::uint16_t WebPort = 0;
  std::string WebBind = "127.0.0.1";
};

void PrintTo(const OptionsCase& row, std::ostream* out) {
  *out << row.Name;
}

class RemoteOptionsParse : public ::testing::TestWithParam<OptionsCase> {};

TEST_P(RemoteOptionsParse, ReadsEachOptionWithItsValue) {
  std::vector<std::string> arguments{"vexserver"};
  arguments.insert(arguments.end(), GetParam().Arguments.begin(), GetParam().Arguments.end());
  const RemoteOptions options = ParseRemoteOptions(arguments);
  EXPECT_EQ(options.RconPort, GetParam().RconPort);
  EXPECT_EQ(options.QueryPort, GetParam().QueryPort);
  EXPECT_EQ(options.RconBind, GetParam().RconBind);
  EXPECT_EQ(options.WebPort, GetParam().WebPort);
  EXPECT_EQ(options.WebBind, GetParam().WebBind);
  EXPECT_EQ(!options.Error.empty(), GetParam().Error) << options.Error;
}

INSTANTIATE_TEST_SUITE_P(
    CommandLines, RemoteOptionsParse,
    ::testing::Values(
        OptionsCase{"None", {"-console", "-port", "27888"}, std::nullopt, std::nullopt, "", false},
        OptionsCase{"All",
                    {"-RCONPORT", "28000", "-queryport", "0", "-rconbind", "127.0.0.1"},
                    28000,
                    0,
                    "127.0.0.1",
                    false},
        OptionsCase{"WebPage",
                    {"-webport", "8080", "-webbind", "0.0.0.0"},
                    std::nullopt,
                    std::nullopt,
                    "",
                    false,
                    8080,
                    "0.0.0.0"},
        OptionsCase{
            "WebPortNotANumber", {"-webport", "http"}, std::nullopt, std::nullopt, "", true},
        OptionsCase{"PortAbove65535", {"-rconport", "65536"}, std::nullopt, std::nullopt, "", true},
        OptionsCase{"PortNotANumber", {"-queryport", "12ab"}, std::nullopt, std::nullopt, "", true},
        OptionsCase{"ValueMissing", {"-rconbind"}, std::nullopt, std::nullopt, "", true},
        OptionsCase{"GameOptionValueIsNoOption",
                    {"-name", "-rconport", "7", "-queryport", "9"},
                    std::nullopt,
                    9,
                    "",
                    false}),
    [](const auto& row) { return row.param.Name; });

struct IdleCase {
  const char* Name;
  const char* Value;
  std::optional<int> Seconds;  // nothing: the value is left out and the default holds
};

void PrintTo(const IdleCase& row, std::ostream* out) {
  *out << row.Name;
}

class RconIdleValue : public ::testing::TestWithParam<IdleCase> {};

TEST_P(RconIdleValue, OnlyWholeSecondsUpToADayAreTaken) {
  const RemoteOptions options = ParseRemoteOptions({"vexserver", "-rconidle", GetParam().Value});
  EXPECT_EQ(options.RconIdleSeconds, GetParam().Seconds);
  EXPECT_TRUE(options.Error.empty()) << "a bad limit leaves the services on";
}

INSTANTIATE_TEST_SUITE_P(
    Values, RconIdleValue,
    ::testing::Values(IdleCase{"One", "1", 1}, IdleCase{"ADay", "86400", 86400},
                      IdleCase{"Zero", "0", std::nullopt},
                      IdleCase{"OverADay", "86401", std::nullopt},
                      IdleCase{"Negative", "-5", std::nullopt},
                      IdleCase{"Plus", "+5", std::nullopt}, IdleCase{"Unit", "5s", std::nullopt},
                      IdleCase{"Blank", " 5", std::nullopt}, IdleCase{"Empty", "", std::nullopt},
                      IdleCase{"Huge", "99999999999999999999", std::nullopt}),
    [](const auto& row) { return std::string(row.param.Name); });

TEST(WebHostNames, RepeatedAndCommaSeparatedNamesGatherAndUnusableOnesAreLeftOut) {
  const RemoteOptions options =
      ParseRemoteOptions({"vexserver", "-webhost", "proxy.example,vex.example", "-WEBHOST",
                          "game_1", "-webhost", ",with:port,[::1],", "-webhost", "Last-One"});
  EXPECT_EQ(options.WebHostNames,
            (std::vector<std::string>{"proxy.example", "vex.example", "game_1", "Last-One"}));
  EXPECT_TRUE(ParseRemoteOptions({"vexserver"}).WebHostNames.empty());
}

class RconPasswordFile : public ::testing::Test {
 protected:
  RconPassword Read(const std::string& content, mode_t mode) {
    const fs::path file = folder_.Path() / "password";
    std::ofstream(file, std::ios::binary) << content;
    chmod(file.c_str(), mode);
    RemoteOptions options;
    options.RconPasswordFile = file.string();
    return ReadRconPassword(options, "from-environment");
  }

  test::ScratchFolder folder_;
};

TEST_F(RconPasswordFile, FileWinsOverEnvironmentWithoutItsFinalLineBreak) {
  const RconPassword password = Read("s3cret %s\n", 0600);
  EXPECT_EQ(password.Text, "s3cret %s");
  EXPECT_TRUE(password.Error.empty());
  EXPECT_TRUE(password.Warning.empty());
  EXPECT_EQ(Read("crlf\r\n", 0600).Text, "crlf");
  EXPECT_EQ(Read("two lines\n\n", 0600).Text, "two lines\n");
}

TEST_F(RconPasswordFile, WarnsWhenOthersCanReadIt) {
  const RconPassword password = Read("s3cret", 0644);
  EXPECT_EQ(password.Text, "s3cret");
  EXPECT_FALSE(password.Warning.empty());
}

TEST_F(RconPasswordFile, RefusesWhatIsNoUsablePassword) {
  EXPECT_FALSE(Read("\n", 0600).Error.empty());
  EXPECT_FALSE(Read(std::string(5000, 'x'), 0600).Error.empty());
  RemoteOptions options;
  options.RconPasswordFile = folder_.Path().string();
  const RconPassword directory = ReadRconPassword(options, "from-environment");
  EXPECT_FALSE(directory.Error.empty());
  EXPECT_TRUE(directory.Text.empty());
  options.RconPasswordFile = (folder_.Path() / "missing").string();
  EXPECT_FALSE(ReadRconPassword(options, nullptr).Error.empty());
}

TEST_F(RconPasswordFile, TheMetricsTokenIsReadAsThePasswordIs) {
  const fs::path file = folder_.Write("token", "t0ken\n");
  chmod(file.c_str(), 0640);
  const RemoteOptions options =
      ParseRemoteOptions({"vexserver", "-metricsport", "9188", "-metricsbind", "::1",
                          "-metricstoken-file", file.string()});
  EXPECT_TRUE(options.Error.empty()) << options.Error;
  EXPECT_EQ(options.MetricsPort, 9188);
  EXPECT_EQ(options.MetricsBind, "::1");
  const RconPassword token = ReadMetricsToken(options);
  EXPECT_EQ(token.Text, "t0ken");
  EXPECT_NE(token.Warning.find("metrics token"), std::string::npos) << token.Warning;
  EXPECT_TRUE(ReadMetricsToken(RemoteOptions{}).Text.empty());
  EXPECT_EQ(RemoteOptions{}.MetricsBind, "127.0.0.1");
  EXPECT_FALSE(ParseRemoteOptions({"vexserver", "-metricsport", "off"}).Error.empty());
}

TEST(RconPasswordEnvironment, UsedWithoutAFileAndOffWhenUnset) {
  EXPECT_EQ(ReadRconPassword(RemoteOptions{}, "env-pass").Text, "env-pass");
  EXPECT_TRUE(ReadRconPassword(RemoteOptions{}, nullptr).Text.empty());
}

}  // namespace
}  // namespace vex
