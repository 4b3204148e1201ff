// Configuration files that a hostile or careless operator may name: `vexserver --check-config`
// runs on each in a process of its own and must end with error 11 and a reason naming the file
// (and the line, where the file has lines), or with a summary that keeps the defaults. Never a
// crash, never a hang, never memory out of proportion to the file.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <ostream>
#include <string>

#include "tests/support/ChildProcess.h"
#include "tests/support/ProgramFixtures.h"
#include "tests/support/ScratchFolder.h"
#include "tests/support/WaitUntil.h"

namespace vex {
namespace {

using namespace std::chrono_literals;
using test::kProgram;

const std::filesystem::path kCorpus = std::filesystem::path(VEX_SOURCE_DIR) / "tests/data/hostile";
const std::filesystem::path kServerData = "VexMod/ServerData";
const std::string kLevel = "Map00 = \"Worlds\\Multi\\Arena\"\n";
const std::string kValidHead = "[Settings]\nGameType = 1\n[Deathmatch]\n" + kLevel;

#if defined(__SANITIZE_ADDRESS__)
constexpr long kSanitizerAllocationFactor = 2;
#else
constexpr long kSanitizerAllocationFactor = 1;
#endif

// A hang is a run that outlives this by far: the largest case takes a few seconds unsanitised.
constexpr auto kTimeLimit = 60s;

struct CheckRun {
  bool Hung = false;
  int Status = 0;
  long PeakKiB = 0;
  std::string Output;
  std::string Errors;
};

std::string ReadWhole(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// Output goes to files rather than pipes, so that a child which writes much cannot stall on a
// reader that only waits for its end.
CheckRun CheckConfig(const std::filesystem::path& gameFolder, const std::string& name) {
  const std::filesystem::path out = gameFolder / "check.out";
  const std::filesystem::path err = gameFolder / "check.err";
  const pid_t pid = fork();
  if (pid == 0) {
    const int outFd = open(out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    const int errFd = open(err.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    const int nullFd = open("/dev/null", O_RDONLY);
    if (outFd < 0 || errFd < 0 || nullFd < 0) {
      _exit(127);
    }
    dup2(nullFd, 0);
    dup2(outFd, 1);
    dup2(errFd, 2);
    test::ExecProgram(kProgram, {"--check-config", "-config", name}, gameFolder.string(), {});
  }
  CheckRun run;
  rusage usage{};
  if (!test::WaitUntil([&] { return wait4(pid, &run.Status, WNOHANG, &usage) != 0; }, kTimeLimit,
                       20ms)) {
    run.Hung = true;
    kill(pid, SIGKILL);
    wait4(pid, &run.Status, 0, &usage);
  }
  run.PeakKiB = usage.ru_maxrss;
  run.Output = ReadWhole(out);
  run.Errors = ReadWhole(err);
  return run;
}

enum class Outcome {
  // Error 11 with a reason in the attribute library's form: File "...", line N.
  RefusedAtLine,
  // Error 11 with a reason naming the file and what it is instead of a regular file.
  RefusedAsNotRegular,
  // Exit 0 and the summary; what the file could not give keeps its default.
  Summary,
};

struct HostileCase {
  std::string Name;
  Outcome Expected;
  // The line the reason names (RefusedAtLine), 0 for any.
  int Line = 0;
  // Text the run's output or errors must hold beside the outcome.
  std::string Shows;
  // Makes the configuration file in the game folder; when empty, the committed corpus file of
  // that name is copied.
  std::function<void(const std::filesystem::path& file)> Make;
};

std::ostream& operator<<(std::ostream& out, const HostileCase& c) {
  return out << c.Name;
}

// Written piece by piece straight to the file, without a string per piece: a forked child's peak
// memory starts at its parent's size, and under AddressSanitizer freed blocks stay resident in
// its quarantine.
void WriteRepeated(const std::filesystem::path& file, const std::string& head,
                   const std::function<void(std::ostream&, long)>& piece, long count,
                   const std::string& tail = {}) {
  std::ofstream out(file, std::ios::binary);
  out << head;
  for (long i = 0; i < count; ++i) {
    piece(out, i);
  }
  out << tail;
}

constexpr long kHundredMegabytes = 100L * 1000 * 1000;

const HostileCase kCases[] = {
    {"binary_junk", Outcome::RefusedAtLine, 1, {}, {}},
    {"zero_byte_in_string", Outcome::RefusedAtLine, 3, "Zero byte encountered", {}},
    {"zero_byte_between_tokens", Outcome::RefusedAtLine, 3, {}, {}},
    {"cr_only_line_ends", Outcome::RefusedAtLine, 1, "Bad symbol", {}},
    {"cr_only_line_ends_valid", Outcome::Summary, 0, "Server name: CR", {}},
    {"key_name_at_token_limit", Outcome::Summary, 0, {}, {}},
    {"key_name_past_token_limit", Outcome::RefusedAtLine, 5, "Token too long", {}},
    {"tag_name_at_token_limit", Outcome::Summary, 0, {}, {}},
    {"tag_name_past_token_limit", Outcome::RefusedAtLine, 5, "Token too long", {}},
    {"string_at_token_limit",
     Outcome::Summary,
     0,
     "Server name: " + std::string(63, 'S') + "\n",
     {}},
    {"string_past_token_limit", Outcome::RefusedAtLine, 3, "Token too long", {}},
    {"number_past_token_limit", Outcome::RefusedAtLine, 5, "Token too long", {}},
    {"fields_past_their_size", Outcome::Summary, 0, "Levels: 20", {}},
    {"numbers_past_their_range",
     Outcome::Summary,
     0,
     "PortID = -1 does not fit its field; 65535 is used",
     {}},
    {"every_kind_where_another_is_expected", Outcome::Summary, 0, "Port: 27888", {}},
    {"unterminated_block_comment", Outcome::RefusedAtLine, 7, "Bad symbol", {}},
    {"unterminated_string", Outcome::RefusedAtLine, 3, "Bad symbol", {}},
    {"unterminated_tag", Outcome::RefusedAtLine, 6, {}, {}},
    {"unterminated_vector", Outcome::RefusedAtLine, 5, {}, {}},
    {"deep_nesting", Outcome::RefusedAtLine, 5, {}, {}},
    {"value_without_key", Outcome::RefusedAtLine, 5, {}, {}},
    {"hundred_megabytes_of_comment", Outcome::Summary, 0, "Levels: 1",
     [](const std::filesystem::path& file) {
       const std::string line = "// " + std::string(96, 'c') + "\n";
       WriteRepeated(
           file, kValidHead, [&](std::ostream& out, long) { out << line; },
           kHundredMegabytes / static_cast<long>(line.size()));
     }},
    {"hundred_megabyte_string", Outcome::RefusedAtLine, 3, "Token too long",
     [](const std::filesystem::path& file) {
       WriteRepeated(
           file, "[Settings]\nGameType = 1\nServName = \"",
           [piece = std::string(1000, 's')](std::ostream& out, long) { out << piece; },
           kHundredMegabytes / 1000, "\"\n[Deathmatch]\n" + kLevel);
     }},
    {"hundred_thousand_tags", Outcome::Summary, 0, "Levels: 1",
     [](const std::filesystem::path& file) {
       WriteRepeated(
           file, kValidHead,
           [](std::ostream& out, long i) { out << "[Tag" << i << "]\nKey = " << i << "\n"; },
           100000);
     }},
    {"ten_thousand_keys", Outcome::Summary, 0, "Levels: 1",
     [](const std::filesystem::path& file) {
       WriteRepeated(
           file, kValidHead + "[Scoring]\n",
           [](std::ostream& out, long i) {
             if (i % 2 == 0) {
               out << "Class" << i / 2 << " = " << i / 2 << "\n";
             } else {
               out << "Score" << i / 2 << " = 3\n";
             }
           },
           10000);
     }},
    {"fifo_without_writer", Outcome::RefusedAsNotRegular, 0, "a FIFO",
     [](const std::filesystem::path& file) { ASSERT_EQ(mkfifo(file.c_str(), 0600), 0); }},
    {"directory", Outcome::RefusedAsNotRegular, 0, "a directory",
     [](const std::filesystem::path& file) { std::filesystem::create_directory(file); }},
    {"link_to_dev_zero", Outcome::RefusedAsNotRegular, 0, "a character device",
     [](const std::filesystem::path& file) { std::filesystem::create_symlink("/dev/zero", file); }},
};

class HostileConfig : public testing::TestWithParam<HostileCase> {};

// The peak of a run on a small valid file: what the program needs whatever it reads, and the test
// process's own pages that a forked child starts with, taken just before the case's own run.
long BaselineKiB() {
  test::ScratchFolder game;
  game.Write(kServerData / "baseline.txt", kValidHead);
  const CheckRun run = CheckConfig(game.Path(), "baseline");
  EXPECT_EQ(run.Status, 0) << run.Errors;
  return run.PeakKiB;
}

TEST_P(HostileConfig, EndsWithItsOutcomeWithoutCrashHangOrBlowUp) {
  const HostileCase& c = GetParam();
  test::ScratchFolder game;
  game.MakeDirectory(kServerData);
  const std::filesystem::path file = game.Path() / kServerData / (c.Name + ".txt");
  if (c.Make) {
    c.Make(file);
  } else {
    std::filesystem::copy_file(kCorpus / (c.Name + ".txt"), file);
  }
  const auto size = std::filesystem::is_regular_file(file) ? std::filesystem::file_size(file) : 0;

  const long baselineKiB = BaselineKiB();
  const CheckRun run = CheckConfig(game.Path(), c.Name);
  const std::string shown = run.Output + run.Errors;
  ASSERT_FALSE(run.Hung) << "no end within the time limit\n" << shown;
  ASSERT_TRUE(WIFEXITED(run.Status)) << "ended by signal " << WTERMSIG(run.Status) << "\n" << shown;
  const std::string fileName = (kServerData / (c.Name + ".txt")).string();
  switch (c.Expected) {
    case Outcome::RefusedAtLine: {
      EXPECT_EQ(WEXITSTATUS(run.Status), 11) << shown;
      const std::string where = "File \"" + fileName + "\", line " +
                                (c.Line > 0 ? std::to_string(c.Line) + " :" : std::string());
      EXPECT_NE(run.Errors.find(where), std::string::npos) << run.Errors;
      break;
    }
    case Outcome::RefusedAsNotRegular:
      EXPECT_EQ(WEXITSTATUS(run.Status), 11) << shown;
      EXPECT_NE(run.Errors.find(fileName + ": not a regular file"), std::string::npos)
          << run.Errors;
      break;
    case Outcome::Summary:
      EXPECT_EQ(WEXITSTATUS(run.Status), 0) << shown;
      EXPECT_NE(run.Output.find("Configuration file: VexMod/ServerData/" + c.Name + ".txt"),
                std::string::npos)
          << run.Output;
      break;
  }
  EXPECT_NE(shown.find(c.Shows), std::string::npos) << shown;

  // Peak resident memory rather than an address-space limit, which AddressSanitizer's shadow
  // memory rules out. The growth over a small valid file is held to ten times the file's size;
  // the 8 MiB beside it covers the code paths and library buffers that a refusal or a warning
  // brings in, which the baseline file does not use. Under AddressSanitizer every allocation
  // carries redzones and freed blocks wait in quarantine rather than being reused, so there the
  // bound is doubled.
  const long growthKiB = run.PeakKiB - baselineKiB;
  const long allowedKiB =
      (static_cast<long>(size) * 10 / 1024 + 8 * 1024) * kSanitizerAllocationFactor;
  EXPECT_LE(growthKiB, allowedKiB) << "peak " << run.PeakKiB << " KiB, baseline " << baselineKiB
                                   << " KiB, file " << size << " bytes";
}

INSTANTIATE_TEST_SUITE_P(Corpus, HostileConfig, testing::ValuesIn(kCases),
                         [](const testing::TestParamInfo<HostileCase>& param) {
                           return param.param.Name;
                         });

}  // namespace
}  // namespace vex
