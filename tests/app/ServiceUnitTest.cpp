// The systemd template unit, as systemd-analyze reads it. It runs without a service manager, so
// it works on a build machine or in a container where systemd is installed but not running.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <regex>
#include <sstream>
#include <string>

#include "ChildProcess.h"
#include "ProgramFixtures.h"

namespace vex {
namespace {

using test::ChildProcess;
using test::GameFolder;

std::string ReadAll(const std::filesystem::path& path) {
  std::ifstream file(path);
  std::stringstream text;
  text << file.rdbuf();
  return text.str();
}

// The unit as written, with its program taken from this build, checked as one instance.
TEST(ServiceUnit, SystemdAnalyzeAcceptsAnInstanceWithoutAWord) {
  const std::string unit =
      ReadAll(std::filesystem::path(VEX_SOURCE_DIR) / "packaging/vexserver@.service");
  ASSERT_NE(unit.find("ExecStart=/usr/bin/vexserver "), std::string::npos);
  GameFolder scratch;
  std::ofstream(scratch.Path() + "/vexserver@deathmatch.service")
      << std::regex_replace(unit, std::regex("/usr/bin/vexserver"), test::kProgram);

  ChildProcess verify("/usr/bin/systemd-analyze",
                      {"verify", "--man=no", "--generators=no", "./vexserver@deathmatch.service"},
                      scratch.Path());
  EXPECT_EQ(verify.WaitForExit(std::chrono::seconds(60)), 0) << verify.Errors();
  // Unknown keys and bad values are only warned of, with exit code 0.
  EXPECT_EQ(verify.Errors(), "");
  EXPECT_EQ(verify.Output(), "");
}

}  // namespace
}  // namespace vex
