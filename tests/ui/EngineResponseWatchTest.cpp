#include <gtest/gtest.h>

#include <chrono>
#include <ostream>
#include <regex>
#include <string>
#include <vector>

#include "ui/EngineResponseWatch.h"

namespace vex {
namespace {

using Outcome = RefreshOutcome;

struct Tick {
  int Ms;
  Outcome Result;
  const char* Said;  // the start of the line due at this tick; "" for none
};

struct WatchCase {
  const char* Name;
  std::vector<Tick> Ticks;
};

void PrintTo(const WatchCase& c, std::ostream* out) {
  *out << c.Name;
}

class EngineResponse : public ::testing::TestWithParam<WatchCase> {};

TEST_P(EngineResponse, SaysOnceWhenTheEngineFallsSilentAndOnceWhenItAnswers) {
  EngineResponseWatch watch;
  const auto start = EngineResponseWatch::Clock::now();
  constexpr std::int64_t kCalendarStart = 1'800'000'000;
  for (const Tick& tick : GetParam().Ticks) {
    const auto line = watch.Tick(tick.Result, start + std::chrono::milliseconds(tick.Ms),
                                 kCalendarStart + tick.Ms / 1000);
    const std::string said = line.value_or("");
    EXPECT_EQ(said.rfind(tick.Said, 0), 0u) << "at " << tick.Ms << " ms: " << said;
    EXPECT_EQ(said.empty(), std::string(tick.Said).empty()) << "at " << tick.Ms << " ms: " << said;
  }
}

constexpr const char* kSilent = "The engine is not responding; it last answered at ";
constexpr const char* kAgain = "The engine is responding again at ";

INSTANTIATE_TEST_SUITE_P(Ticks, EngineResponse,
                         ::testing::Values(WatchCase{"SilentForASecondThenAnswering",
                                                     {{0, Outcome::Ran, ""},
                                                      {100, Outcome::EngineBusy, ""},
                                                      {900, Outcome::EngineBusy, ""},
                                                      {1000, Outcome::EngineBusy, kSilent},
                                                      {1100, Outcome::EngineBusy, ""},
                                                      {5000, Outcome::EngineBusy, ""},
                                                      {13100, Outcome::Ran, kAgain},
                                                      {13200, Outcome::Ran, ""}}},
                                           WatchCase{"ShortStallsSayNothing",
                                                     {{0, Outcome::Ran, ""},
                                                      {900, Outcome::EngineBusy, ""},
                                                      {1000, Outcome::Ran, ""},
                                                      {1900, Outcome::EngineBusy, ""},
                                                      {2000, Outcome::Ran, ""}}},
                                           WatchCase{"HungBeforeAnyTickRan",
                                                     {{300, Outcome::EngineBusy, ""},
                                                      {1300, Outcome::EngineBusy, kSilent}}},
                                           WatchCase{"TicksBetweenLevelsAreNoNewsEitherWay",
                                                     {{0, Outcome::Ran, ""},
                                                      {100, Outcome::Idle, ""},
                                                      {3000, Outcome::Idle, ""},
                                                      {3100, Outcome::EngineBusy, ""},
                                                      {4200, Outcome::EngineBusy, kSilent},
                                                      {4300, Outcome::Idle, ""},
                                                      {6000, Outcome::EngineBusy, ""},
                                                      {6100, Outcome::Ran, kAgain}}}),
                         [](const auto& watchCase) { return std::string(watchCase.param.Name); });

TEST(EngineResponse, TheLinesGiveTheLastAnswerAndTheSilence) {
  EngineResponseWatch watch;
  const auto start = EngineResponseWatch::Clock::now();
  constexpr std::int64_t kCalendarStart = 1'800'000'000;
  watch.Tick(Outcome::Ran, start, kCalendarStart);
  const auto silent =
      watch.Tick(Outcome::EngineBusy, start + std::chrono::seconds(2), kCalendarStart + 2);
  ASSERT_TRUE(silent);
  EXPECT_TRUE(std::regex_match(*silent, std::regex(std::string(kSilent) + R"(\d\d:\d\d:\d\d\.)")))
      << *silent;
  const auto again =
      watch.Tick(Outcome::Ran, start + std::chrono::seconds(14), kCalendarStart + 14);
  ASSERT_TRUE(again);
  EXPECT_TRUE(std::regex_match(
      *again, std::regex(std::string(kAgain) + R"(\d\d:\d\d:\d\d, after 14 seconds\.)")))
      << *again;
}

}  // namespace
}  // namespace vex
