#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "ui/ConsoleCommandAnswers.h"

namespace vex {
namespace {

constexpr std::uint32_t kNow = 1000;

constexpr std::uint32_t kLongestWaitMs = 5000;

struct Answers {
  ConsoleCommandAnswers Tracker;
  std::vector<std::optional<std::string>> Got;
  // The game's output, which the console shows too; a notice is for the sender alone.
  std::vector<bool> GameOutput;

  // A command whose answer lands in Got[index].
  void Post(std::uint64_t frames, std::uint32_t nowMs = kNow) {
    const std::size_t index = Got.size();
    Got.emplace_back();
    GameOutput.push_back(false);
    Tracker.Posted(
        [this, index](remote::CommandOutput output) {
          EXPECT_FALSE(Got[index]) << "answered twice";
          Got[index] = std::move(output.Text);
          GameOutput[index] = output.OnConsole;
        },
        frames, nowMs);
  }
};

bool ToldItCameTooLate(const std::optional<std::string>& answer) {
  return answer && answer->find("did not come within") != std::string::npos;
}

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
  EXPECT_TRUE(answers.GameOutput[0]);
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
  answers.Tracker.Settle(std::nullopt, kNow + kLongestWaitMs - 1);
  EXPECT_FALSE(answers.Got[1]);
  answers.Tracker.Settle(std::nullopt, kNow + kLongestWaitMs);
  EXPECT_TRUE(ToldItCameTooLate(answers.Got[1])) << *answers.Got[1];
  EXPECT_FALSE(answers.GameOutput[1]);
}

// Between two levels no console lines are taken: a command that waits longer than the longest
// wait is told so, and its marks, when they come with the next level, end its own wait instead
// of answering the command posted after it. The first command of a run has seen no marks yet.
TEST(ConsoleCommandAnswers, MarksThatComeLateNeverAnswerALaterCommand) {
  Answers answers;
  ConsoleCommandAnswers& tracker = answers.Tracker;
  answers.Post(5);
  tracker.Settle(std::nullopt, kNow + kLongestWaitMs);
  ASSERT_TRUE(ToldItCameTooLate(answers.Got[0]));
  answers.Post(6, kNow + kLongestWaitMs);
  tracker.Settle(std::nullopt, kNow + kLongestWaitMs + 100);
  tracker.Mark(QueuedLineKind::CommandStart);
  tracker.Line("the first command's long output");
  tracker.Mark(QueuedLineKind::CommandEnd);
  tracker.Line("Now playing Foundry (level 2 of 3).");
  tracker.Mark(QueuedLineKind::CommandStart);
  tracker.Line("status of the second");
  tracker.Mark(QueuedLineKind::CommandEnd);
  tracker.Settle(9, kNow + kLongestWaitMs + 3000);
  EXPECT_EQ(answers.Got[1], "status of the second\n");
  EXPECT_TRUE(answers.GameOutput[1]);
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
