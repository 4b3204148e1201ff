#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <string>

#include "attrib/AttributeFile.h"
#include "tests/support/ScratchFolder.h"

namespace {

struct ParseRun {
  bool parsed = false;
  long peakKilobytes = 0;
};

// Parses in a child process, so the peak resident size that the kernel reports for it at its end
// is the memory of this one parse on top of the test program's own.
ParseRun ParseInChild(const std::string& fileName) {
  const pid_t child = fork();
  if (child == 0) {
    vex::CAttributeFile file;
    _exit(file.Parse(fileName) ? 0 : 1);
  }
  ParseRun run;
  int status = 0;
  rusage usage{};
  if (child > 0 && wait4(child, &status, 0, &usage) == child) {
    run.parsed = WIFEXITED(status) && WEXITSTATUS(status) == 0;
    run.peakKilobytes = usage.ru_maxrss;
  }
  return run;
}

std::string EmptyTags(std::size_t atLeastBytes) {
  std::string text;
  char line[32];
  for (int index = 0; text.size() < atLeastBytes; ++index) {
    std::snprintf(line, sizeof line, "[Tag%07d]\n", index);
    text += line;
  }
  return text;
}

// Sanitizers pad every allocation, so the ratio means something only in a plain build.
#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
constexpr bool kSanitized = true;
#else
constexpr bool kSanitized = false;
#endif

TEST(AttributeMemory, EmptyTagsCostLessThanTenTimesTheFileSize) {
  if (kSanitized) {
    GTEST_SKIP() << "allocation sizes differ under a sanitizer";
  }
  vex::test::ScratchFolder scratch;
  const std::string tags = EmptyTags(std::size_t{2} << 20);
  const std::string manyTags = scratch.Write("tags.txt", tags);
  const std::string oneTag = scratch.Write("tag.txt", "[Tag]\n");

  const ParseRun baseline = ParseInChild(oneTag);
  const ParseRun measured = ParseInChild(manyTags);
  ASSERT_TRUE(baseline.parsed);
  ASSERT_TRUE(measured.parsed);
  const double perByte = static_cast<double>(measured.peakKilobytes - baseline.peakKilobytes) *
                         1024.0 / static_cast<double>(tags.size());
  EXPECT_LT(perByte, 10.0) << "peak " << measured.peakKilobytes << " KB against "
                           << baseline.peakKilobytes << " KB for one tag";
}

}  // namespace
