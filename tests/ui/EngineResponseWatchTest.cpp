#include <gtest/gtest.h>

#include <chrono>
#include <optional>
#include <ostream>
#include <regex>
#include <string>
#include <vector>

#include "session/ServerSession.h"
#include "ui/EngineResponseWatch.h"

namespace vex {
namespace {

constexpr int kNoFrames = -1;  // no session runs: no frames are due

struct Tick {
  int Ms;
  int LastFrameEndMs;  // kNoFrames for none
  const char* Said;    // the start of the line due at this tick; "" for none
};

struct WatchCase {
  const char* Name;
  std::vector<Tick> Ticks;
};

void PrintTo(const WatchCase& c, std::ostream* out) {
  *out << c.Name;
}

class EngineResponse : public ::testing::TestWithParam<WatchCase> {};

TEST_P(EngineResponse, SaysOnceWhenFramesStopFinishingAndOnceWhenOneFinishes) {
  EngineResponseWatch watch;
  const auto start = EngineResponseWatch::Clock::now();
  constexpr std::int64_t kCalendarStart = 1'800'000'000;
  for (const Tick& tick : GetParam().Ticks) {
    const auto lastFrameEnd =
        tick.LastFrameEndMs == kNoFrames
            ? std::nullopt
            : std::optional(start + std::chrono::milliseconds(tick.LastFrameEndMs));
    const auto line = watch.Tick(lastFrameEnd, start + std::chrono::milliseconds(tick.Ms),
                                 kCalendarStart + tick.Ms / 1000);
    const std::string said = line.value_or("");
    EXPECT_EQ(said.rfind(tick.Said, 0), 0u) << "at " << tick.Ms << " ms: " << said;
    EXPECT_EQ(said.empty(), std::string(tick.Said).empty()) << "at " << tick.Ms << " ms: " << said;
  }
}

constexpr const char* kSilent = "The engine is not responding; it last answered at ";
constexpr const char* kAgain = "The engine is responding again at ";
constexpr int kHung = static_cast<int>(kHungFrameMs);

INSTANTIATE_TEST_SUITE_P(
    Ticks, EngineResponse,
    ::testing::Values(WatchCase{"HungThenFinishingAgain",
                                {{0, 0, ""},
                                 {kHung - 100, 0, ""},
                                 {kHung, 0, kSilent},
                                 {kHung + 100, 0, ""},
                                 {13000, 0, ""},
                                 {13100, 13050, kAgain},
                                 {13200, 13050, ""}}},
                      // Frames of a second, each making most ticks skip, are no hang.
                      WatchCase{"SlowFramesThatFinishSayNothing",
                                {{0, 0, ""},
                                 {900, 0, ""},
                                 {1100, 1000, ""},
                                 {2900, 2000, ""},
                                 {3500, 3400, ""},
                                 {5300, 3400, ""}}},
                      WatchCase{"HungBeforeTheFirstFrameEnded",
                                {{300, 0, ""}, {kHung + 300, 0, kSilent}}},
                      WatchCase{"WithoutFramesDueThereIsNoNewsEitherWay",
                                {{0, kNoFrames, ""},
                                 {5000, kNoFrames, ""},
                                 {5100, 5000, ""},
                                 {5100 + kHung, 5000, kSilent},
                                 {9000, kNoFrames, ""},
                                 {9100, 5000, ""},
                                 {9200, 9150, kAgain}}}),
    [](const auto& watchCase) { return std::string(watchCase.param.Name); });

TEST(EngineResponse, TheLinesGiveTheLastFrameAndTheSilence) {
  EngineResponseWatch watch;
  const auto start = EngineResponseWatch::Clock::now();
  constexpr std::int64_t kCalendarStart = 1'800'000'000;
  watch.Tick(start, start, kCalendarStart);
  const auto silent = watch.Tick(start, start + std::chrono::seconds(3), kCalendarStart + 3);
  ASSERT_TRUE(silent);
  EXPECT_TRUE(std::regex_match(*silent, std::regex(std::string(kSilent) + R"(\d\d:\d\d:\d\d\.)")))
      << *silent;
  const auto again = watch.Tick(start + std::chrono::seconds(14),
                                start + std::chrono::milliseconds(14100), kCalendarStart + 14);
  ASSERT_TRUE(again);
  EXPECT_TRUE(std::regex_match(
      *again, std::regex(std::string(kAgain) + R"(\d\d:\d\d:\d\d, after 14 seconds\.)")))
      << *again;
}

}  // namespace
}  // namespace vex
