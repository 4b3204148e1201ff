#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "ui/ConsoleCommandAnswers.h"

namespace vex {
namespace {

constexpr std::uint32_t kNow = 1000;

struct Answers {
  ConsoleCommandAnswers Tracker;
  std::vector<std::optional<std::string>> Got;

  // A command whose answer lands in Got[index].
  void Post(std::uint64_t frames) {
    const std::size_t index = Got.size();
    Got.emplace_back();
    Tracker.Posted(
        [this, index](remote::CommandOutput output) {
          EXPECT_TRUE(output.OnConsole);
          Got[index] = std::move(output.Text);
        },
        frames, kNow);
  }
};

// Commands from the window wait for no answer but take their marks, so that the marks after them
// belong to the right command; a game event between two commands' output belongs to neither.
TEST(ConsoleCommandAnswers, MarkedOutputAnswersEachCommandInTurn) {
  Answers answers;
  answers.Post(5);
  answers.Tracker.Posted({}, 5, kNow);
  answers.Post(5);
  ConsoleCommandAnswers& tracker = answers.Tracker;
  tracker.Line("Ash fragged Brick.");
  tracker.Mark(QueuedLineKind::CommandStart);
  tracker.Line("first answer");
  tracker.Mark(QueuedLineKind::CommandEnd);
  tracker.Mark(QueuedLineKind::CommandStart);
  tracker.Line("window's answer");
  tracker.Mark(QueuedLineKind::CommandEnd);
  tracker.Line("Brick outgunned Ash.");
  tracker.Mark(QueuedLineKind::CommandStart);
  tracker.Line("third answer");
  tracker.Line("its second line");
  tracker.Mark(QueuedLineKind::CommandEnd);
  tracker.Settle(6, kNow);
  ASSERT_EQ(answers.Got.size(), 2u);
  EXPECT_EQ(answers.Got[0], "first answer\n");
  EXPECT_EQ(answers.Got[1], "third answer\nits second line\n");
}

// An engine without marks: a command answers once a frame after its posting has been printed,
// with every line since the posting; before that, only after the longest wait.
TEST(ConsoleCommandAnswers, UnmarkedOutputAnswersWithEverythingOnceTheEngineRanIt) {
  Answers answers;
  answers.Post(5);
  answers.Tracker.Line("Ash fragged Brick.");
  answers.Tracker.Settle(5, kNow + 100);
  answers.Tracker.Settle(std::nullopt, kNow + 100);
  EXPECT_FALSE(answers.Got[0]);
  answers.Tracker.Line("answer");
  answers.Tracker.Settle(6, kNow + 100);
  EXPECT_EQ(answers.Got[0], "Ash fragged Brick.\nanswer\n");

  answers.Post(9);
  answers.Tracker.Settle(std::nullopt, kNow + 399);
  EXPECT_FALSE(answers.Got[1]);
  answers.Tracker.Settle(std::nullopt, kNow + 400);
  EXPECT_EQ(answers.Got[1], "");
}

TEST(ConsoleCommandAnswers, FinishAllAnswersWhatIsThere) {
  Answers answers;
  answers.Post(1);
  answers.Tracker.Mark(QueuedLineKind::CommandStart);
  answers.Tracker.Line("half");
  answers.Post(1);
  answers.Tracker.FinishAll();
  EXPECT_EQ(answers.Got[0], "half\n");
  EXPECT_EQ(answers.Got[1], "");
}

}  // namespace
}  // namespace vex
