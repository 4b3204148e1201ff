// Where --check-config writes the options block, and how much of the reader's messages it shows.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cstring>
#include <filesystem>
#include <ostream>
#include <string>

#include "tests/support/ChildProcess.h"
#include "tests/support/ProgramFixtures.h"

namespace vex {
namespace {

using test::ChildProcess;
using test::GameFolder;
using test::kProgram;

constexpr int kDumpNotWritten = 74;

struct DumpCase {
  std::string Name;
  std::string Target;  // relative to the game folder unless absolute
  int ExitCode;
  std::string Reason;  // after the file's name; empty when the block is written
};

void PrintTo(const DumpCase& row, std::ostream* out) {
  *out << row.Name;
}

class DumpTarget : public ::testing::TestWithParam<DumpCase> {};

// A FIFO without a reader would hold an ordinary open for ever.
TEST_P(DumpTarget, IsWrittenOrRefusedAtOnceWithTheReason) {
  const DumpCase& c = GetParam();
  GameFolder game;
  ASSERT_EQ(mkfifo((game.Path() + "/fifo").c_str(), 0600), 0);
  ChildProcess check(kProgram,
                     {"--check-config", "-config", "deathmatch", "--dump-options", c.Target},
                     game.Path());
  ASSERT_EQ(check.WaitForExit(), c.ExitCode) << check.Errors();
  if (c.Reason.empty()) {
    EXPECT_EQ(check.Errors(), "");
  } else {
    EXPECT_NE(check.Errors().find("vexserver: cannot write the options block to " + c.Target +
                                  ": " + c.Reason + "\n"),
              std::string::npos)
        << check.Errors();
  }
}

INSTANTIATE_TEST_SUITE_P(
    Targets, DumpTarget,
    ::testing::Values(
        DumpCase{"CharacterDevice", "/dev/null", 0, ""},
        DumpCase{"FifoWithoutReader", "fifo", kDumpNotWritten, "not a regular file (a FIFO)"},
        DumpCase{"Folder", "VexMod", kDumpNotWritten, "not a regular file (a directory)"},
        DumpCase{"FullDevice", "/dev/full", kDumpNotWritten, std::strerror(ENOSPC)},
        DumpCase{"MissingFolder", "no/such/block.bin", kDumpNotWritten, std::strerror(ENOENT)}),
    [](const auto& row) { return row.param.Name; });

// Each symbol defined again is a message of the reader; a file can hold millions of them.
TEST(ConfigCheck, ShowsTheFirstThousandReaderMessagesAndCountsTheRest) {
  GameFolder game;
  std::string config = "[Settings]\nGameType = 1\n[Deathmatch]\nMap00 = \"Worlds\\Multi\\Arena\"\n";
  for (int i = 0; i < 1500; ++i) {
    config += "FragLimit = 25\n";
  }
  game.WriteConfig("repeated", config);
  ChildProcess check(kProgram, {"--check-config", "-config", "repeated"}, game.Path());
  ASSERT_EQ(check.WaitForExit(), 0) << check.Errors();
  std::size_t shown = 0;
  for (std::size_t at = check.Errors().find("warning: File"); at != std::string::npos;
       at = check.Errors().find("warning: File", at + 1)) {
    ++shown;
  }
  EXPECT_EQ(shown, 1000u);
  EXPECT_NE(check.Errors().find("warning: ... and 499 more\n"), std::string::npos)
      << check.Errors().substr(check.Errors().size() - 500);
}

}  // namespace
}  // namespace vex
