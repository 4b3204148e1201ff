#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <string>

#include "tests/support/ChildProcess.h"

namespace vex {
namespace {

using test::ChildProcess;

// `make run` as an operator types it in a shell: no make variables inherited from whatever runs
// the tests, and this build's preset, which is up to date, so the run starts at once.
TEST(MakeRun, PrintsNoDirectoryLinesBetweenTheBuildAndTheServer) {
  const std::string preset = std::filesystem::path(VEX_BIN_DIR).parent_path().filename();
  ChildProcess run("/usr/bin/env",
                   {"-u", "MAKEFLAGS", "-u", "MAKELEVEL", "-u", "MFLAGS", "make", "run",
                    "PRESET=" + preset, "ARGS=--version"},
                   VEX_SOURCE_DIR);
  ASSERT_EQ(run.WaitForExit(std::chrono::minutes(5)), 0) << run.Output() << run.Errors();
  EXPECT_EQ(run.Output().find("Entering directory"), std::string::npos) << run.Output();
  EXPECT_EQ(run.Output().find("Leaving directory"), std::string::npos) << run.Output();
  EXPECT_NE(run.Output().rfind("VexServer "), std::string::npos) << run.Output();
}

}  // namespace
}  // namespace vex
