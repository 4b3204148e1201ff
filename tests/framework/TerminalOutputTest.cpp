#include <fcntl.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <string>

#include "framework/TerminalWriter.h"
#include "framework/VisibleText.h"

namespace vex::fw {
namespace {

struct VisibleCase {
  const char* Name;
  std::string Text;
  LineFeeds Feeds;
  std::string Shown;
};

void PrintTo(const VisibleCase& c, std::ostream* out) {
  *out << c.Name;
}

class VisibleTextTest : public ::testing::TestWithParam<VisibleCase> {};

TEST_P(VisibleTextTest, ShowsControlBytesAndKeepsPrintableText) {
  EXPECT_EQ(VisibleText(GetParam().Text, GetParam().Feeds), GetParam().Shown);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, VisibleTextTest,
    ::testing::Values(
        VisibleCase{"PrintableAsciiAndBackslash", "C:\\Vex 100% {ok}", LineFeeds::Keep,
                    "C:\\Vex 100% {ok}"},
        VisibleCase{"Utf8Kept", "J\xC3\xB6rg \xE2\x9C\x93 \xF0\x9F\x98\x80", LineFeeds::Keep,
                    "J\xC3\xB6rg \xE2\x9C\x93 \xF0\x9F\x98\x80"},
        VisibleCase{"EscapeSequence", "a\x1b[31mred", LineFeeds::Keep, "a\\x1b[31mred"},
        VisibleCase{"LineFeedKeptAsLineEnd", "one\ntwo\n", LineFeeds::Keep, "one\ntwo\n"},
        VisibleCase{"LineFeedInsideALine", "Evil\nName", LineFeeds::Escape, "Evil\\nName"},
        VisibleCase{"ReturnTabNulAndDelete", std::string("a\rb\tc\0d\x7f", 8), LineFeeds::Keep,
                    "a\\rb\\tc\\x00d\\x7f"},
        VisibleCase{"C1ControlSequenceIntroducer",
                    "x\xC2\x9B"
                    "2J",
                    LineFeeds::Keep, "x\\xc2\\x9b2J"},
        VisibleCase{"Latin1ByteIsNotUtf8", "J\xF6rg", LineFeeds::Keep, "J\\xf6rg"},
        VisibleCase{"TruncatedCharacterAtTheEnd", "ok\xE2\x9C", LineFeeds::Keep, "ok\\xe2\\x9c"},
        VisibleCase{"OverlongEncoding", "\xC0\x8A", LineFeeds::Keep, "\\xc0\\x8a"},
        VisibleCase{"Surrogate", "\xED\xA0\x80", LineFeeds::Keep, "\\xed\\xa0\\x80"}),
    [](const auto& c) { return std::string(c.param.Name); });

TEST(ConsoleTextForTerminal, BreaksEndLinesAndALoneLineFeedIsShown) {
  EXPECT_EQ(ConsoleTextForTerminal("Hosting \"Evil\nName\" on UDP port 1.\r\n"),
            "Hosting \"Evil\\nName\" on UDP port 1.\n");
  EXPECT_EQ(ConsoleTextForTerminal("x\r\r\ny\r\n"), "x\ny\n");
  EXPECT_EQ(ConsoleTextForTerminal("no break\x1b"), "no break\\x1b");
}

// A pipe whose reader the test plays; small, so that a few lines fill it.
class StalledPipe : public ::testing::Test {
 protected:
  StalledPipe() {
    EXPECT_EQ(pipe(fds_), 0);
    fcntl(fds_[0], F_SETFL, O_NONBLOCK);
    fcntl(fds_[1], F_SETPIPE_SZ, 4096);
  }
  ~StalledPipe() override {
    for (int fd : fds_) {
      if (fd >= 0) {
        close(fd);
      }
    }
  }

  std::string ReadAll() {
    std::string text;
    char buffer[4096];
    ssize_t got;
    while ((got = read(fds_[0], buffer, sizeof buffer)) > 0) {
      text.append(buffer, static_cast<std::size_t>(got));
    }
    return text;
  }

  int fds_[2] = {-1, -1};
};

TEST_F(StalledPipe, WritesNeverWaitAndWhatIsDroppedIsCountedOnceTheReaderIsBack) {
  TerminalWriter writer(fds_[1], 1000);
  const std::string line(99, 'x');
  for (int i = 0; i < 100; ++i) {
    writer.Write(line + "\n");  // 10,000 bytes into 4,096 of pipe and 1,000 held
  }
  std::string read = ReadAll();
  writer.Flush(0);
  read += ReadAll();
  writer.Write("after\n");
  read += ReadAll();
  writer.Flush(0);
  read += ReadAll();

  const std::size_t kept = read.find("[");
  ASSERT_NE(kept, std::string::npos) << read;
  const std::size_t keptLines = kept / 100;
  EXPECT_EQ(read.substr(kept), "[" + std::to_string(100 - keptLines) +
                                   " lines of output were dropped: standard output was not "
                                   "being read.]\nafter\n");
}

}  // namespace
}  // namespace vex::fw
