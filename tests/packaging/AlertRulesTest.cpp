// The example alerting rules as Prometheus reads them: promtool checks them, and runs them on
// the made-up series of vexserver-alerts-test.yml.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "tests/support/ChildProcess.h"

namespace vex::test {
namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;

TEST(AlertRules, PromtoolChecksAndRunsThem) {
  const fs::path source = VEX_SOURCE_DIR;
  ChildProcess check("/usr/bin/promtool",
                     {"check", "rules", (source / "packaging/vexserver-alerts.yml").string()},
                     source.string());
  EXPECT_EQ(check.WaitForExit(30s), 0) << check.Output() << check.Errors();
  EXPECT_NE(check.Output().find("SUCCESS: 5 rules found"), std::string::npos) << check.Output();

  ChildProcess run("/usr/bin/promtool", {"test", "rules", "vexserver-alerts-test.yml"},
                   (source / "tests/packaging").string());
  EXPECT_EQ(run.WaitForExit(60s), 0) << run.Output() << run.Errors();
}

}  // namespace
}  // namespace vex::test
