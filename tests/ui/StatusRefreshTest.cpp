#include <gtest/gtest.h>

#include <chrono>
#include <cmath>
#include <limits>
#include <thread>

#include "platform/ManualResetEvent.h"
#include "tests/support/GameMessageBytes.h"
#include "tests/support/RefreshFixture.h"
#include "tests/support/WaitUntil.h"

namespace vex {
namespace {

using test::ConsoleLine;
using test::LevelStarted;
using test::LevelUnloaded;
using test::PlayerAdded;
using test::PlayerRemoved;
using test::PlayerStats;
using test::RefreshFixture;
using test::StatsRecord;

constexpr std::int64_t kStart = RefreshFixture::kStart;

class StatusRefresh : public testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(f.Started()); }

  // Column texts of a player row: name, ping, kills, score, lives, time.
  std::vector<std::string> Row(int row) {
    std::vector<std::string> texts;
    for (int column = 0; column < 6; ++column) {
      texts.push_back(f.PlayerList().GetItemText(row, column));
    }
    return texts;
  }
  int MarkedLevel() {
    int marked = -1;
    for (int row = 0; row < f.LevelList().GetItemCount(); ++row) {
      if (f.LevelList().GetStateImage(row) == kCurrentLevelImage) {
        EXPECT_EQ(marked, -1) << "two rows marked";
        marked = row;
      }
    }
    return marked;
  }

  RefreshFixture f;
};

TEST_F(StatusRefresh, PingCellsTruncateAndTheAverageRoundsHalfUp) {
  f.Send(LevelStarted(0));
  f.Send(PlayerAdded(1));
  f.Send(PlayerAdded(2));
  struct Case {
    float First, Second;
    const char* FirstText;
    const char* SecondText;
    std::uint32_t Average;
  };
  const float nan = std::numeric_limits<float>::quiet_NaN();
  const float infinity = std::numeric_limits<float>::infinity();
  const Case cases[] = {
      {0.0405f, 0.0601f, "40", "60", 50},
      {0.040f, 0.041f, "40", "41", 41},
      {0.0f, 0.0f, "0", "0", 0},
      // Values no millisecond count can hold read as 0, never as an undefined conversion.
      {nan, 0.1f, "0", "100", 50},
      {infinity, 3e9f, "0", "0", 0},
  };
  std::int64_t now = kStart;
  for (const Case& c : cases) {
    f.Engine().SetPing(1, c.First);
    f.Engine().SetPing(2, c.Second);
    f.Tick(++now);
    // Newest first: client 2 is on row 0.
    EXPECT_EQ(f.PlayerList().GetItemText(1, kPingColumn), c.FirstText) << c.First;
    EXPECT_EQ(f.PlayerList().GetItemText(0, kPingColumn), c.SecondText) << c.Second;
    EXPECT_EQ(f.Display.AveragePing, c.Average) << c.First << " " << c.Second;
  }
}

TEST_F(StatusRefresh, PlayersTextAndPeakFollowPlayersComingAndGoing) {
  f.Send(LevelStarted(0));
  f.Send(PlayerAdded(1));
  f.Send(PlayerAdded(2));
  f.Engine().SetPing(1, 0.030f);
  f.Engine().SetPing(2, 0.050f);
  struct Step {
    std::string Message;
    const char* PlayersText;
    std::uint32_t Peak;
    int Rows;
    std::uint32_t Average;
  };
  const Step steps[] = {
      {"", "2/16", 2, 2, 40},
      {PlayerAdded(3), "3/16", 3, 3, 27},  // (30 + 50 + 0) / 3 = 26.7
      {PlayerRemoved(3), "2/16", 3, 2, 40},
      {PlayerRemoved(1), "1/16", 3, 1, 50},
      {PlayerRemoved(2), "0/16", 3, 0, 0},
  };
  std::int64_t now = kStart;
  for (const Step& step : steps) {
    if (!step.Message.empty()) {
      f.Send(step.Message);
    }
    f.Tick(++now);
    EXPECT_EQ(f.Display.PlayersText, step.PlayersText);
    EXPECT_EQ(f.Display.PeakPlayers, step.Peak);
    EXPECT_EQ(f.PlayerList().GetItemCount(), step.Rows);
    EXPECT_EQ(f.Display.AveragePing, step.Average) << step.PlayersText;
  }
  EXPECT_EQ(f.Pushes, 5);
}

TEST_F(StatusRefresh, RosterChangeRewritesRowsWithNamesCountersAndIcons) {
  f.Send(LevelStarted(0));
  f.Send(PlayerAdded(7));
  f.Send(PlayerAdded(3));
  f.Tick(kStart + 1);
  EXPECT_EQ(Row(0), (std::vector<std::string>{"<Incoming Player>", "0", "0", "0", "0", "00m:01s"}));
  EXPECT_EQ(f.PlayerList().GetItemData(0), 3);
  EXPECT_EQ(f.PlayerList().GetItemData(1), 7);

  f.Send(PlayerStats(StatsRecord(7, "Ann", 5, 50, 2, 3, 1, 3) +
                     StatsRecord(3, "Bo", -1, 0, 9, 0, 0, 3)));
  f.Tick(kStart + 3725);
  EXPECT_EQ(Row(0), (std::vector<std::string>{"Bo", "0", "-1", "0", "9", "01h:02m:05s"}));
  EXPECT_EQ(Row(1), (std::vector<std::string>{"Ann", "0", "5", "50", "2", "01h:02m:05s"}));
  EXPECT_EQ(f.PlayerList().GetStateImage(0), 2);
  EXPECT_EQ(f.PlayerList().GetStateImage(1), 9);
  EXPECT_EQ(f.Tracking.ProtectedClientId, 3);
}

// A player who joined while no level ran: the tick before the level must leave the change for
// the first tick that writes rows, or the row never appears.
TEST_F(StatusRefresh, PlayersWhoJoinedBeforeTheLevelGetRowsOnceItStarts) {
  f.Send(PlayerAdded(7));
  f.Send(PlayerStats(StatsRecord(7, "Ann", 5, 50, 2, 3, 1, -1)));
  f.Tick(kStart + 1);
  EXPECT_EQ(f.PlayerList().GetItemCount(), 0);

  f.Send(LevelStarted(0));
  f.Tick(kStart + 2);
  ASSERT_EQ(f.PlayerList().GetItemCount(), 1);
  EXPECT_EQ(f.PlayerList().GetItemText(0, kNameColumn), "Ann");
  EXPECT_EQ(f.PlayerList().GetItemData(0), 7);
}

TEST_F(StatusRefresh, RowIconsFollowKindAndRing) {
  f.Send(LevelStarted(0));
  f.Send(PlayerAdded(1));
  struct Case {
    int Kind, Ringed, Image;
  };
  // Kinds outside 0..3 get no icon: -1 would otherwise show the current-level dot.
  const Case cases[] = {{0, 0, 2}, {1, 0, 3}, {2, 0, 4}, {3, 0, 5},  {0, 1, 6},
                        {1, 1, 7}, {2, 1, 8}, {3, 1, 9}, {-1, 0, 0}, {4, 1, 0}};
  std::int64_t now = kStart;
  for (const Case& c : cases) {
    f.Send(PlayerStats(StatsRecord(1, "Ann", 0, 0, 0, c.Kind, c.Ringed, -1)));
    f.Tick(++now);
    EXPECT_EQ(f.PlayerList().GetStateImage(0), c.Image) << c.Kind << " " << c.Ringed;
  }
}

TEST_F(StatusRefresh, WithoutRosterChangeOnlyPingAndTimeAreWritten) {
  f.Send(LevelStarted(0));
  f.Send(PlayerAdded(1));
  f.Send(PlayerStats(StatsRecord(1, "Ann", 5, 50, 2, 1, 0, -1)));
  f.Tick(kStart + 1);
  // Cells the refresh must leave alone are marked; a rewrite would restore them.
  fw::CListCtrl& list = f.PlayerList();
  for (int column : {kNameColumn, kKillsColumn, kScoreColumn, kLivesColumn}) {
    list.SetItemText(0, column, "mark");
  }
  list.SetStateImage(0, 0);
  list.SetItemData(0, 99);
  f.Engine().SetPing(99, 0.025f);
  f.Tick(kStart + 61);
  EXPECT_EQ(Row(0), (std::vector<std::string>{"mark", "25", "mark", "mark", "mark", "01m:01s"}));
  EXPECT_EQ(list.GetStateImage(0), 0);

  f.Send(PlayerStats(StatsRecord(1, "Ann", 5, 50, 2, 1, 0, -1)));
  f.Tick(kStart + 62);
  EXPECT_EQ(Row(0), (std::vector<std::string>{"Ann", "0", "5", "50", "2", "01m:02s"}));
  EXPECT_EQ(list.GetStateImage(0), 3);
}

// A row that goes and a new one in its place must show their own ping and time, even when the
// numbers equal those the gone row showed: the refresh skips cells whose number is unchanged.
TEST_F(StatusRefresh, RowsThatComeBackShowPingAndTimeAgain) {
  f.Send(LevelStarted(0));
  f.Send(PlayerAdded(1));
  f.Send(PlayerAdded(2));
  f.Engine().SetPing(1, 0.030f);
  f.Engine().SetPing(2, 0.030f);
  f.Engine().SetPing(3, 0.030f);
  f.Tick(kStart);
  struct Step {
    const char* Name;
    std::vector<std::string> Messages;
    int Rows;
  };
  const Step steps[] = {
      {"gone", {PlayerRemoved(2)}, 1},
      {"back", {PlayerAdded(3)}, 2},
      {"gone and back in one tick", {PlayerRemoved(3), PlayerAdded(2)}, 2},
      {"all gone", {PlayerRemoved(1), PlayerRemoved(2)}, 0},
      {"first again", {PlayerAdded(1)}, 1},
  };
  for (const Step& step : steps) {
    for (const std::string& message : step.Messages) {
      f.Send(message);
    }
    f.Tick(kStart);
    ASSERT_EQ(f.PlayerList().GetItemCount(), step.Rows) << step.Name;
    for (int row = 0; row < step.Rows; ++row) {
      EXPECT_EQ(f.PlayerList().GetItemText(row, kPingColumn), "30") << step.Name << " " << row;
      EXPECT_EQ(f.PlayerList().GetItemText(row, kTimeColumn), "00m:00s") << step.Name << " " << row;
    }
  }
}

// Rows are 2, 1 with client 1 selected on row 1; then the roster changes.
struct RosterMove {
  const char* Name;
  std::vector<std::string> Messages;
  int SelectedRow;  // where client 1 is expected selected; -1: nothing selected
};

void PrintTo(const RosterMove& c, std::ostream* out) {
  *out << c.Name;
}

class SelectionAcrossRosterMoves : public StatusRefresh,
                                   public testing::WithParamInterface<RosterMove> {};

TEST_P(SelectionAcrossRosterMoves, SelectionBelongsToTheClientNotToTheRow) {
  f.Send(LevelStarted(0));
  f.Send(PlayerAdded(1));
  f.Send(PlayerAdded(2));
  f.Tick(kStart + 1);
  fw::CListCtrl& list = f.PlayerList();
  ASSERT_EQ(list.GetItemData(1), 1);
  list.SetItemSelected(1, true);

  for (const std::string& message : GetParam().Messages) {
    f.Send(message);
  }
  f.Tick(kStart + 2);

  const int row = GetParam().SelectedRow;
  EXPECT_EQ(list.GetFirstSelected(), row);
  if (row >= 0) {
    EXPECT_EQ(list.GetItemData(row), 1);
    EXPECT_EQ(list.GetSelectionMark(), row);
  }
}

INSTANTIATE_TEST_SUITE_P(
    StatusRefresh, SelectionAcrossRosterMoves,
    testing::Values(RosterMove{"JoinAtTheTopMovesItDown", {PlayerAdded(3)}, 2},
                    RosterMove{"SelectedPlayerLeaves", {PlayerRemoved(1)}, -1},
                    RosterMove{"SelectedPlayerLeavesAndAnotherTakesTheRow",
                               {PlayerRemoved(1), PlayerAdded(3)},
                               -1},
                    RosterMove{"PlayerAboveLeavesMovesItUp", {PlayerRemoved(2)}, 0}),
    [](const testing::TestParamInfo<RosterMove>& move) { return move.param.Name; });

// A negative level ends the tick before the mark is touched, so the last mark stays.
TEST_F(StatusRefresh, CurrentLevelMarkMovesAndLeavesForAnIndexOutsideTheList) {
  struct Step {
    int Level;
    int Marked;
  };
  const Step steps[] = {{0, 0}, {2, 2}, {3, 3}, {7, -1}, {1, 1}, {-5, 1}};
  std::int64_t now = kStart;
  for (const Step& step : steps) {
    f.Send(LevelStarted(step.Level));
    f.Tick(++now);
    EXPECT_EQ(MarkedLevel(), step.Marked) << step.Level;
    EXPECT_EQ(f.Display.HighlightedLevel, step.Marked);
  }
}

TEST_F(StatusRefresh, LevelStartRestartsTimeInLevelWhileRunningTimeGoesOn) {
  f.Send(LevelStarted(0));
  f.Tick(kStart + 100);
  EXPECT_EQ(f.Display.RunningTimeText, "01m:40s");
  EXPECT_EQ(f.Display.LevelTimeText, "00m:00s");
  f.Tick(kStart + 130);
  EXPECT_EQ(f.Display.LevelTimeText, "00m:30s");
  f.Send(LevelStarted(1));
  f.Tick(kStart + 140);
  EXPECT_EQ(f.Display.LevelTimeText, "00m:00s");
  EXPECT_EQ(f.Display.RunningTimeText, "02m:20s");
  f.Tick(kStart + 145);
  EXPECT_EQ(f.Display.LevelTimeText, "00m:05s");
}

// A frame that keeps the session lock: a thread that holds it until let go.
class HeldFrame {
 public:
  explicit HeldFrame(platform::RecursiveLock& lock)
      : thread_([this, &lock] {
          std::lock_guard frame(lock);
          held_.Set();
          letGo_.Wait(platform::kInfinite);
        }) {
    held_.Wait(platform::kInfinite);
  }
  ~HeldFrame() { End(); }
  HeldFrame(const HeldFrame&) = delete;
  HeldFrame& operator=(const HeldFrame&) = delete;

  void End() {
    letGo_.Set();
    if (thread_.joinable()) {
      thread_.join();
    }
  }

 private:
  platform::ManualResetEvent held_;
  platform::ManualResetEvent letGo_;
  std::thread thread_;
};

// A frame that keeps the session lock skips the tick; the clocks need no lock and move on, the
// rest waits for the next tick.
TEST_F(StatusRefresh, ATickThatAFrameHoldsUpMovesOnlyTheClocks) {
  f.Send(LevelStarted(0));
  ASSERT_EQ(f.Tick(kStart + 10), RefreshOutcome::Ran);
  f.Printed.clear();
  f.Send(ConsoleLine("held back"));
  HeldFrame frame(f.Session().Lock());
  const int pushes = f.Pushes;
  EXPECT_EQ(f.Tick(kStart + 75), RefreshOutcome::EngineBusy);
  EXPECT_EQ(f.Display.RunningTimeText, "01m:15s");
  EXPECT_EQ(f.Display.LevelTimeText, "01m:05s");
  EXPECT_EQ(f.Pushes, pushes + 1);
  EXPECT_TRUE(f.Printed.empty());
  frame.End();
  EXPECT_EQ(f.Tick(kStart + 76), RefreshOutcome::Ran);
  EXPECT_EQ(f.Printed, std::vector<std::string>{"held back"});
}

// Before the first level a tick computes the running time but shows nothing; a tick that a frame
// holds up shows no more than one that took the lock.
TEST_F(StatusRefresh, ATickHeldUpBeforeTheFirstLevelPushesNothing) {
  HeldFrame frame(f.Session().Lock());
  EXPECT_EQ(f.Tick(kStart + 75), RefreshOutcome::EngineBusy);
  EXPECT_EQ(f.Pushes, 0);
  frame.End();
  EXPECT_EQ(f.Tick(kStart + 76), RefreshOutcome::Ran);
  EXPECT_EQ(f.Pushes, 0);
  f.Send(LevelStarted(0));
  f.Tick(kStart + 77);
  EXPECT_EQ(f.Pushes, 1);
  EXPECT_EQ(f.Display.RunningTimeText, "01m:17s");
}

TEST_F(StatusRefresh, LevelUnloadedFreezesTimesRowsAndConsoleUntilTheNextLevel) {
  f.Send(LevelStarted(0));
  f.Send(PlayerAdded(1));
  f.Tick(kStart + 10);
  const int pushes = f.Pushes;
  f.Send(LevelUnloaded());
  f.Send(ConsoleLine("between levels"));
  f.Send(PlayerAdded(2));
  f.Tick(kStart + 20);
  f.Tick(kStart + 30);
  EXPECT_EQ(f.Display.RunningTimeText, "00m:10s");
  EXPECT_EQ(f.PlayerList().GetItemCount(), 1);
  EXPECT_TRUE(f.Printed.empty());
  EXPECT_EQ(f.Pushes, pushes);
  EXPECT_EQ(MarkedLevel(), 0);

  f.Send(LevelStarted(2));
  f.Tick(kStart + 40);
  EXPECT_EQ(f.Display.RunningTimeText, "00m:40s");
  EXPECT_EQ(f.Display.LevelTimeText, "00m:00s");
  EXPECT_EQ(f.PlayerList().GetItemCount(), 2);
  EXPECT_EQ(f.Printed, std::vector<std::string>{"between levels"});
  EXPECT_EQ(MarkedLevel(), 2);
}

// Lines taken by a tick that has no level to show are printed rather than lost.
TEST_F(StatusRefresh, LinesTakenBeforeAnyLevelArePrinted) {
  f.Send(ConsoleLine("warming up"));
  f.Send(ConsoleLine("%s%n%d"));
  f.Send(PlayerAdded(1));
  f.Tick(kStart + 5);
  EXPECT_EQ(f.Printed, (std::vector<std::string>{"warming up", "%s%n%d"}));
  EXPECT_EQ(f.Display.RunningTimeText, "00m:05s");
  EXPECT_EQ(f.PlayerList().GetItemCount(), 0);
  EXPECT_EQ(f.Pushes, 0);
  f.Tick(kStart + 6);
  EXPECT_EQ(f.Printed.size(), 2u);
}

// The engine's reason is printed before the session stops; the stop would have emptied the queue.
TEST_F(StatusRefresh, EngineErrorPrintsTheReasonThenStopsTheSession) {
  f.Send(LevelStarted(0));
  f.Send(ConsoleLine("last words"));
  f.Engine().FailFrames("frame failed: out of sync");
  ASSERT_TRUE(test::WaitUntil([&] { return f.Session().EngineError(); }, std::chrono::seconds(5)));
  f.Tick(kStart + 1);
  EXPECT_EQ(f.Printed, (std::vector<std::string>{"last words", "frame failed: out of sync"}));
  EXPECT_EQ(f.Severities,
            (std::vector<platform::Severity>{platform::Severity::Info, platform::Severity::Error}));
  EXPECT_EQ(f.Session().Engine(), nullptr);
  EXPECT_FALSE(f.Session().HasThread());
  EXPECT_EQ(f.Host().Ids.back(), res::IDS_STOPPED);
  EXPECT_EQ(f.Pushes, 0);
  f.Tick(kStart + 2);
  EXPECT_EQ(f.Printed.size(), 2u);
}

}  // namespace
}  // namespace vex
