#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cerrno>
#include <cstring>
#include <string>

#include "platform/RegularFile.h"
#include "tests/support/ScratchFolder.h"

namespace vex::platform {
namespace {

TEST(RegularFile, OpensARegularFileForReading) {
  test::ScratchFolder dir;
  const auto path = dir.Write("config.txt", "[Settings]\n");
  const RegularFileOpening opened = OpenRegularFile(path.string());
  ASSERT_NE(opened.Stream, nullptr) << opened.Error;
  EXPECT_EQ(opened.Error, "");
  char text[32] = {};
  EXPECT_EQ(std::fread(text, 1, sizeof text - 1, opened.Stream.get()), 11u);
  EXPECT_STREQ(text, "[Settings]\n");
}

struct RefusedCase {
  const char* name;
  std::string path;  // relative to the test's folder unless absolute
  std::string error;
};

// A FIFO without a writer would block an ordinary open for good; it must come back at once.
TEST(RegularFile, RefusesAtOnceWhatIsNotARegularFileWithTheReason) {
  test::ScratchFolder dir;
  ASSERT_EQ(::mkfifo((dir.Path() / "fifo.txt").c_str(), 0600), 0);
  dir.MakeDirectory("folder.txt");
  dir.Write("plain", "x");
  const RefusedCase cases[] = {
      {"missing", "missing.txt", std::strerror(ENOENT)},
      {"below a plain file", "plain/config.txt", std::strerror(ENOTDIR)},
      {"fifo", "fifo.txt", "not a regular file (a FIFO)"},
      {"directory", "folder.txt", "not a regular file (a directory)"},
      {"device", "/dev/null", "not a regular file (a character device)"},
  };
  for (const auto& c : cases) {
    const std::string path = c.path.front() == '/' ? c.path : (dir.Path() / c.path).string();
    const RegularFileOpening opened = OpenRegularFile(path);
    EXPECT_EQ(opened.Stream, nullptr) << c.name;
    EXPECT_EQ(opened.Error, c.error) << c.name;
  }
}

}  // namespace
}  // namespace vex::platform
