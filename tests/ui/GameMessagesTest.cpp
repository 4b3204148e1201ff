#include <gtest/gtest.h>

#include <ostream>
#include <string>
#include <vector>

#include "ui/GameMessages.h"

namespace vex {
namespace {

constexpr std::int64_t kEarlier = 1000;
constexpr std::int64_t kNow = 2000;

// One roster record as the test compares it.
struct Player {
  std::int32_t Id;
  std::string Name;
  std::int32_t Kills = 0;
  std::int32_t Score = 0;
  std::int32_t Lives = 0;
  int Kind = 0;
  int Ringed = 0;
  std::int64_t JoinTime = kEarlier;
  bool Bot = false;
  bool operator==(const Player&) const = default;
};

void PrintTo(const Player& p, std::ostream* os) {
  *os << "{" << p.Id << " '" << p.Name << "' " << p.Kills << "/" << p.Score << "/" << p.Lives
      << " kind " << p.Kind << " ringed " << p.Ringed << " joined " << p.JoinTime
      << (p.Bot ? " bot" : "") << "}";
}

struct State {
  std::vector<Player> Roster;  // in enumeration order
  bool RosterChanged = false;
  bool LevelStarted = false;
  bool LevelUnloaded = false;
  std::int32_t CurrentLevel = 1;
  std::int32_t ProtectedId = 99;
  std::uint32_t TotalPlayers = 5;
  std::vector<std::string> Lines;
  bool operator==(const State&) const = default;
};

void PrintTo(const State& s, std::ostream* os) {
  *os << "roster [";
  for (const Player& p : s.Roster) {
    PrintTo(p, os);
  }
  *os << "] changed " << s.RosterChanged << " started " << s.LevelStarted << " unloaded "
      << s.LevelUnloaded << " level " << s.CurrentLevel << " protected " << s.ProtectedId
      << " total " << s.TotalPlayers << " lines " << testing::PrintToString(s.Lines);
}

const Player kAnn{7, "Ann", 3, 30, 2, 1, 0};
const Player kBo{3, "Bo", 1, 10, 1, 2, 1};

// Before every case: Ann (7) joined, then Bo (3); level 1 runs; flags clear.
State Baseline() {
  State state;
  state.Roster = {kBo, kAnn};
  return state;
}

State Read(GameTracking& tracking, ConsoleLineQueue& pending) {
  State state;
  tracking.Roster.ForEach([&](const CPlayerInfo& p) {
    state.Roster.push_back(
        Player{p.ClientId, p.Name, p.Kills, p.Score, p.Lives, p.Kind, p.Ringed, p.JoinTime, p.Bot});
  });
  state.RosterChanged = tracking.RosterChanged;
  state.LevelStarted = tracking.LevelStarted;
  state.LevelUnloaded = tracking.LevelUnloaded;
  state.CurrentLevel = tracking.CurrentLevel;
  state.ProtectedId = tracking.ProtectedClientId;
  state.TotalPlayers = tracking.TotalPlayers;
  for (const QueuedLine& line : pending.TakeAll()) {
    state.Lines.push_back(line.Text);
  }
  return state;
}

void Load(GameTracking& tracking, const State& state) {
  for (auto p = state.Roster.rbegin(); p != state.Roster.rend(); ++p) {
    CPlayerInfo info;
    info.ClientId = p->Id;
    p->Name.copy(info.Name, sizeof info.Name - 1);
    info.Kills = p->Kills;
    info.Score = p->Score;
    info.Lives = p->Lives;
    info.Kind = static_cast<std::int8_t>(p->Kind);
    info.Ringed = static_cast<std::uint8_t>(p->Ringed);
    info.JoinTime = p->JoinTime;
    tracking.Roster.Add(info);
  }
  tracking.CurrentLevel = state.CurrentLevel;
  tracking.ProtectedClientId = state.ProtectedId;
  tracking.TotalPlayers = state.TotalPlayers;
}

// A PlayerStats record as the game writes it: id, blank, name line, counters, codes, protected id.
std::string Record(std::int32_t id, const std::string& name, int kills, int score, int lives,
                   char kind, char ringed, std::int32_t protectedId) {
  return std::to_string(id) + " " + name + "\n" + std::to_string(kills) + " " +
         std::to_string(score) + " " + std::to_string(lives) + " " + kind + ringed + " " +
         std::to_string(protectedId) + " ";
}

const std::string kAdded(1, '\0');
const std::string kRemoved(1, '\1');
const std::string kStats(1, '\2');
const std::string kUnloaded(1, '\3');
const std::string kStarted(1, '\4');
const std::string kConsole(1, '\5');
const std::string k40Characters = "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMN";

struct MessageCase {
  const char* Title;
  std::string Message;
  State Expected;
};

void PrintTo(const MessageCase& c, std::ostream* os) {
  *os << c.Title;
}

State With(State state, const std::function<void(State&)>& change) {
  change(state);
  return state;
}

Player Incoming(std::int32_t id) {
  return Player{id, "<Incoming Player>", 0, 0, 0, 0, 0, kNow};
}

std::vector<MessageCase> Cases() {
  return {
      {"player added", kAdded + " 12",
       With(Baseline(),
            [](State& s) {
              s.Roster.insert(s.Roster.begin(), Incoming(12));
              s.RosterChanged = true;
              s.TotalPlayers = 6;
            })},
      {"bot added", kAdded + "12 B",
       With(Baseline(),
            [](State& s) {
              Player bot = Incoming(12);
              bot.Bot = true;
              s.Roster.insert(s.Roster.begin(), bot);
              s.RosterChanged = true;
              s.TotalPlayers = 6;
            })},
      {"player added with another mark", kAdded + "12 x",
       With(Baseline(),
            [](State& s) {
              s.Roster.insert(s.Roster.begin(), Incoming(12));
              s.RosterChanged = true;
              s.TotalPlayers = 6;
            })},
      {"player added in hexadecimal", kAdded + "0x1F",
       With(Baseline(),
            [](State& s) {
              s.Roster.push_back(Incoming(31));  // key 31 lives in the second bucket
              s.RosterChanged = true;
              s.TotalPlayers = 6;
            })},
      {"player added in octal", kAdded + "014",
       With(Baseline(),
            [](State& s) {
              s.Roster.insert(s.Roster.begin(), Incoming(12));
              s.RosterChanged = true;
              s.TotalPlayers = 6;
            })},
      {"player added twice resets the record", kAdded + "7",
       With(Baseline(),
            [](State& s) {
              s.Roster = {Incoming(7), kBo};
              s.RosterChanged = true;
              s.TotalPlayers = 6;
            })},
      {"player added with high bits replaces the same key", kAdded + "0x10003",
       With(Baseline(),
            [](State& s) {
              s.Roster = {Incoming(0x10003), kAnn};
              s.RosterChanged = true;
              s.TotalPlayers = 6;
            })},
      {"player added without an id acts on 0", kAdded + "x",
       With(Baseline(),
            [](State& s) {
              s.Roster.insert(s.Roster.begin(), Incoming(0));
              s.RosterChanged = true;
              s.TotalPlayers = 6;
            })},
      {"player removed", kRemoved + "7",
       With(Baseline(),
            [](State& s) {
              s.Roster = {kBo};
              s.RosterChanged = true;
            })},
      {"player removed by a same-key id", kRemoved + "0x70007",
       With(Baseline(),
            [](State& s) {
              s.Roster = {kBo};
              s.RosterChanged = true;
            })},
      {"unknown player removed only flags", kRemoved + "8",
       With(Baseline(), [](State& s) { s.RosterChanged = true; })},
      {"stats for two players",
       kStats + Record(7, "Anna", 4, 40, 1, 3, 1, 11) + Record(3, "Bob", 2, 20, 0, 0, 0, 3) + "-1",
       With(Baseline(),
            [](State& s) {
              s.Roster = {Player{3, "Bob", 2, 20, 0, 0, 0}, Player{7, "Anna", 4, 40, 1, 3, 1}};
              s.RosterChanged = true;
              s.ProtectedId = 3;
            })},
      {"stats starting with -1", kStats + "-1 " + Record(7, "Anna", 4, 40, 1, 3, 1, 11),
       With(Baseline(),
            [](State& s) {
              s.RosterChanged = true;
              s.ProtectedId = -1;
            })},
      {"stats with a 40-character name", kStats + Record(7, k40Characters, 4, 40, 1, 0, 1, 7),
       With(Baseline(),
            [](State& s) {
              s.Roster[1] = Player{7, k40Characters.substr(0, 29), 4, 40, 1, 0, 1};
              s.RosterChanged = true;
              s.ProtectedId = 7;
            })},
      {"stats for a same-key id", kStats + Record(0x20007, "Anna", 4, 40, 1, 0, 0, -1),
       With(Baseline(),
            [](State& s) {
              s.Roster[1] = Player{7, "Anna", 4, 40, 1, 0, 0};
              s.RosterChanged = true;
              s.ProtectedId = -1;
            })},
      {"stats truncated in a record keep what arrived",
       kStats + Record(3, "Bob", 2, 20, 0, 0, 0, 3) + "7 Anna\n4 40",
       With(Baseline(),
            [](State& s) {
              s.Roster = {Player{3, "Bob", 2, 20, 0, 0, 0}, Player{7, "Anna", 4, 40, 2, 1, 0}};
              s.RosterChanged = true;
              s.ProtectedId = 3;
            })},
      {"stats end at an unknown client",
       kStats + Record(8, "Cy", 1, 1, 1, 0, 0, 8) + Record(7, "Anna", 4, 40, 1, 0, 0, 7),
       With(Baseline(),
            [](State& s) {
              s.RosterChanged = true;
              s.ProtectedId = -1;
            })},
      {"stats end at a counter that is no number", kStats + "7 Anna\n4 lots 1 \1\1 7 -1",
       With(Baseline(),
            [](State& s) {
              s.Roster[1] = Player{7, "Anna", 4, 30, 2, 1, 0};
              s.RosterChanged = true;
              s.ProtectedId = -1;
            })},
      {"stats counter beyond 32 bits stores the limit and ends",
       kStats + "7 Anna\n4 99999999999 1 \1\1 7 -1",
       With(Baseline(),
            [](State& s) {
              s.Roster[1] = Player{7, "Anna", 4, 2147483647, 2, 1, 0};
              s.RosterChanged = true;
              s.ProtectedId = -1;
            })},
      {"level unloaded", kUnloaded,
       With(Baseline(),
            [](State& s) {
              s.LevelUnloaded = true;
              s.CurrentLevel = -1;
            })},
      {"level started", kStarted + " 2",
       With(Baseline(),
            [](State& s) {
              s.LevelStarted = true;
              s.CurrentLevel = 2;
            })},
      {"level started without an index keeps the level", kStarted,
       With(Baseline(), [](State& s) { s.LevelStarted = true; })},
      {"console line ends at its zero byte", kConsole + std::string("hello\0world", 11),
       With(Baseline(), [](State& s) { s.Lines = {"hello"}; })},
      {"console line without a zero byte takes the rest", kConsole + " hello world",
       With(Baseline(), [](State& s) { s.Lines = {" hello world"}; })},
      {"console line of 2000 bytes keeps 1023", kConsole + std::string(2000, 'z'),
       With(Baseline(), [](State& s) { s.Lines = {std::string(1023, 'z')}; })},
      {"type 6 is ignored", std::string(1, '\6') + "7", Baseline()},
      {"type '0' as text is ignored", "0 7", Baseline()},
      {"empty message", "", Baseline()},
  };
}

class GameMessageTable : public testing::TestWithParam<MessageCase> {};

TEST_P(GameMessageTable, AppliesExactlyItsEffect) {
  const MessageCase& c = GetParam();
  GameTracking tracking;
  ConsoleLineQueue pending;
  Load(tracking, Baseline());
  HandleGameMessage(tracking, pending, c.Message.data(), static_cast<int>(c.Message.size()), kNow);
  EXPECT_EQ(Read(tracking, pending), c.Expected);
}

INSTANTIATE_TEST_SUITE_P(Messages, GameMessageTable, testing::ValuesIn(Cases()));

TEST(GameMessages, LengthZeroRunsToTheFirstZeroByte) {
  GameTracking tracking;
  ConsoleLineQueue pending;
  const char message[] = "\x05hello\0ignored";
  HandleGameMessage(tracking, pending, message, 0, kNow);
  HandleGameMessage(tracking, pending, "\x04 3\0 9", 0, kNow);
  EXPECT_EQ(pending.TakeAll(), std::vector<QueuedLine>{{"hello"}});
  EXPECT_EQ(tracking.CurrentLevel, 3);
}

TEST(GameMessages, NullOrNegativeLengthIsIgnored) {
  GameTracking tracking;
  ConsoleLineQueue pending;
  Load(tracking, Baseline());
  const std::string message = kRemoved + "7";
  HandleGameMessage(tracking, pending, nullptr, 2, kNow);
  HandleGameMessage(tracking, pending, message.data(), -1, kNow);
  HandleGameMessage(tracking, pending, message.data(), -2147483647 - 1, kNow);
  EXPECT_EQ(Read(tracking, pending), Baseline());
}

// A length shorter than the buffer is a hard boundary: bytes after it are never read.
TEST(GameMessages, ReadsNoByteBeyondLength) {
  GameTracking tracking;
  ConsoleLineQueue pending;
  const std::string message = kConsole + "visible|hidden";
  HandleGameMessage(tracking, pending, message.data(), 8, kNow);
  HandleGameMessage(tracking, pending, "\x04 12345", 4, kNow);
  EXPECT_EQ(pending.TakeAll(), std::vector<QueuedLine>{{"visible"}});
  EXPECT_EQ(tracking.CurrentLevel, 12);
}

}  // namespace
}  // namespace vex
