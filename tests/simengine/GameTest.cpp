#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <functional>
#include <set>
#include <thread>

#include "tests/simengine/SimEngineHarness.h"

namespace vex::test {
namespace {

using namespace std::string_view_literals;

// A game message: its raw type byte, then the rest.
std::string Message(char type, std::string_view rest = {}) {
  return std::string(1, type) + std::string(rest);
}
const std::string kLevelUnloaded = Message(3);
std::string LevelStarted(int index) {
  return Message(4, std::to_string(index));
}

struct StatsRecord {
  int Id = 0;
  std::string Name;
  int Kills = 0, Score = 0, Lives = 0;
  int Kind = 0, Ringed = 0, Protected = 0;
};

// Reads a PlayerStats message as the window does, but strictly: every field in its place, the
// list ended by -1 and nothing after it.
std::optional<std::vector<StatsRecord>> ParseStats(const std::string& message) {
  if (message.empty() || message[0] != 2) {
    return std::nullopt;
  }
  std::size_t pos = 1;
  auto number = [&](int& out) {
    const std::size_t start = pos;
    if (pos < message.size() && message[pos] == '-') {
      ++pos;
    }
    while (pos < message.size() && std::isdigit(static_cast<unsigned char>(message[pos]))) {
      ++pos;
    }
    if (pos == start || (pos == start + 1 && message[start] == '-')) {
      return false;
    }
    out = std::stoi(message.substr(start, pos - start));
    return true;
  };
  auto take = [&](char expected) { return pos < message.size() && message[pos++] == expected; };
  auto raw = [&](int& out) {
    if (pos >= message.size()) {
      return false;
    }
    out = static_cast<unsigned char>(message[pos++]);
    return true;
  };
  std::vector<StatsRecord> records;
  for (;;) {
    StatsRecord r;
    if (!number(r.Id)) {
      return std::nullopt;
    }
    if (r.Id == -1) {
      return pos == message.size() ? std::optional(records) : std::nullopt;
    }
    const std::size_t newline = message.find('\n', pos + 1);
    if (!take(' ') || newline == std::string::npos) {
      return std::nullopt;
    }
    r.Name = message.substr(pos, newline - pos);
    pos = newline + 1;
    if (!number(r.Kills) || !take(' ') || !number(r.Score) || !take(' ') || !number(r.Lives) ||
        !take(' ') || !raw(r.Kind) || !raw(r.Ringed) || !take(' ') || !number(r.Protected) ||
        !take(' ')) {
      return std::nullopt;
    }
    records.push_back(r);
  }
}

class SimGameTest : public ::testing::Test {
 protected:
  void Begin(const GameSetup& setup, const char* bots = "0", bool start = true) {
    engine_ = std::make_unique<TestEngine>(
        std::initializer_list<std::pair<const char*, const char*>>{{"VEX_SIM_BOTS", bots}});
    ASSERT_TRUE(engine_->Created());
    const CGameOptions block = MakeOptions(setup);
    ASSERT_NE((*engine_)->SetGameOptions(&block, sizeof block), 0);
    if (start) {
      ASSERT_EQ(engine_->PostStart(), 0);
    }
  }
  TestEngine& Engine() { return *engine_; }
  std::vector<std::string> Frame() {
    engine_->RunFrames(1);
    return engine_->Handler().TakeMessages();
  }
  // Runs frames until a message passes the test; nullopt after `limit` frames.
  std::optional<std::string> RunUntil(const std::function<bool(const std::string&)>& wanted,
                                      int limit) {
    for (int i = 0; i < limit; ++i) {
      for (const std::string& message : Frame()) {
        if (wanted(message)) {
          return message;
        }
      }
    }
    return std::nullopt;
  }

 private:
  std::unique_ptr<TestEngine> engine_;
};

TEST_F(SimGameTest, StartMessageStartsLevelZeroOnTheFrameThread) {
  Begin({});
  EXPECT_TRUE(Engine().Handler().TakeMessages().empty()) << "nothing happens before a frame";

  std::vector<std::string> messages;
  std::thread::id frameThread;
  std::thread runner([&] {
    frameThread = std::this_thread::get_id();
    messages = Frame();
  });
  runner.join();
  EXPECT_EQ(StateMessages(messages), std::vector<std::string>{LevelStarted(0)});
  EXPECT_EQ(GameLines(messages), std::vector<std::string>{"Now playing Arena (level 1 of 3)."});
  for (const std::thread::id& id : Engine().Handler().Threads()) {
    EXPECT_EQ(id, frameThread) << "callbacks come on the thread that runs the frame";
  }

  ASSERT_EQ(Engine().PostStart(), 0);
  messages = Frame();
  EXPECT_TRUE(StateMessages(messages).empty());
  EXPECT_EQ(GameLines(messages), std::vector<std::string>{"The game is already running."});
}

TEST_F(SimGameTest, LevelMessagesChangeTheLevelAtOnce) {
  Begin({});
  ASSERT_EQ(StateMessages(Frame()), std::vector<std::string>{LevelStarted(0)});
  struct Case {
    const char* Name;
    std::function<int()> Post;
    std::vector<std::string> Expected;
    const char* Line;  // the first game line, or null
  };
  TestEngine& e = Engine();
  const Case cases[] = {
      {"next", [&] { return e.PostNext(); }, {kLevelUnloaded, LevelStarted(1)}, nullptr},
      {"select 2", [&] { return e.PostSelect(2); }, {kLevelUnloaded, LevelStarted(2)}, nullptr},
      {"next wraps", [&] { return e.PostNext(); }, {kLevelUnloaded, LevelStarted(0)}, nullptr},
      {"select outside",
       [&] { return e.PostSelect(3); },
       {},
       "There is no level 3; the levels run from 0 to 2."},
      {"select negative",
       [&] { return e.PostSelect(-1); },
       {},
       "There is no level -1; the levels run from 0 to 2."},
      {"select ten digits",
       [&] { return e.PostSelect(1234567890); },
       {},
       "There is no level 1234567890; the levels run from 0 to 2."},
      {"map command",
       [&] { return e.PostCommand("map 1"); },
       {kLevelUnloaded, LevelStarted(1)},
       "Now playing Docks (level 2 of 3)."},
      {"nextmap command",
       [&] { return e.PostCommand("nextmap"); },
       {kLevelUnloaded, LevelStarted(2)},
       "Now playing Tower (level 3 of 3)."},
  };
  for (const Case& c : cases) {
    ASSERT_EQ(c.Post(), 0) << c.Name;
    const auto messages = Frame();
    EXPECT_EQ(StateMessages(messages), c.Expected) << c.Name;
    if (c.Line != nullptr) {
      ASSERT_FALSE(GameLines(messages).empty()) << c.Name;
      EXPECT_EQ(GameLines(messages).front(), c.Line) << c.Name;
    }
  }
}

TEST_F(SimGameTest, LevelMessagesBeforeTheStartPlayTheirLevel) {
  Begin({}, "0", false);
  ASSERT_EQ(Engine().PostSelect(1), 0);
  EXPECT_EQ(StateMessages(Frame()), std::vector<std::string>{LevelStarted(1)});
}

TEST_F(SimGameTest, TimeLimitRotatesLevelsAfterAShortIntermission) {
  Begin({.TimeLimitSeconds = 1.0f});
  std::vector<std::pair<int, std::string>> seen;
  std::vector<std::string> lines;
  for (int frame = 1; frame <= 400 && seen.size() < 7; ++frame) {
    for (const std::string& message : Frame()) {
      if (auto line = GameLineText(message)) {
        lines.push_back(*line);
      } else {
        seen.emplace_back(frame, message);
      }
    }
  }
  std::vector<std::string> order;
  for (const auto& [frame, message] : seen) {
    order.push_back(message);
  }
  EXPECT_EQ(order, (std::vector<std::string>{LevelStarted(0), kLevelUnloaded, LevelStarted(1),
                                             kLevelUnloaded, LevelStarted(2), kLevelUnloaded,
                                             LevelStarted(0)}));
  ASSERT_GE(seen.size(), 3u);
  const int played = seen[1].first - seen[0].first;
  const int intermission = seen[2].first - seen[1].first;
  EXPECT_NEAR(played * 33, 1000, 40) << "one second of game time";
  EXPECT_NEAR(intermission * 33, 3000, 100) << "about three seconds between levels";
  EXPECT_NE(std::find(lines.begin(), lines.end(), "The time limit is up."), lines.end());
  EXPECT_NE(std::find(lines.begin(), lines.end(), "Next level: Docks."), lines.end());
}

// Without a fixed step the game follows the real clock: a host that runs frames too often does
// not speed it up. Two hundred frames at once would be more than six seconds of game time if
// each counted as a frame's worth; whatever the machine's pace, the level's 0.3 s end no sooner
// than 0.3 s of real time after the engine (and its clock) came to be.
TEST(SimGameClock, FramesInQuickSuccessionDoNotHurryTheGame) {
  const auto begin = std::chrono::steady_clock::now();
  TestEngine engine({{"VEX_SIM_STEP_MS", "0"}});
  ASSERT_TRUE(engine.Created());
  const CGameOptions block = MakeOptions({.TimeLimitSeconds = 0.3f});
  ASSERT_NE(engine->SetGameOptions(&block, sizeof block), 0);
  ASSERT_EQ(engine.PostStart(), 0);
  engine.RunFrames(200);
  std::vector<std::string> messages = StateMessages(engine.Handler().TakeMessages());
  ASSERT_FALSE(messages.empty());
  EXPECT_EQ(messages.front(), LevelStarted(0));

  const auto unloaded = [&messages] {
    return std::find(messages.begin(), messages.end(), kLevelUnloaded) != messages.end();
  };
  for (int i = 0; i < 200 && !unloaded(); ++i) {
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
    engine.RunFrames(1);
    messages = StateMessages(engine.Handler().TakeMessages());
  }
  const auto ended = std::chrono::steady_clock::now() - begin;
  ASSERT_TRUE(unloaded()) << "the level ends once its 0.3 s have really passed";
  EXPECT_GE(ended, std::chrono::milliseconds(300));
}

struct LimitCase {
  int GameType;
  std::uint8_t FragLimit;
  std::uint16_t ScoreLimit;
  const char* Ending;  // the reason line, or null when these limits do not apply
};

void PrintTo(const LimitCase& c, std::ostream* out) {
  *out << "game type " << c.GameType << ", frag limit " << int{c.FragLimit} << ", score limit "
       << c.ScoreLimit;
}

class SimGameLimits : public SimGameTest, public ::testing::WithParamInterface<LimitCase> {};

TEST_P(SimGameLimits, LevelEndsOnlyOnTheLimitsItsGameTypeUses) {
  const LimitCase& c = GetParam();
  Begin({.GameType = c.GameType, .FragLimit = c.FragLimit, .ScoreLimit = c.ScoreLimit}, "4");
  std::vector<std::string> lines;
  bool ended = false;
  for (int frame = 0; frame < 3000 && !ended; ++frame) {
    for (const std::string& message : Frame()) {
      if (auto line = GameLineText(message)) {
        lines.push_back(*line);
      }
      ended = ended || message == kLevelUnloaded;
    }
  }
  if (c.Ending == nullptr) {
    EXPECT_FALSE(ended) << "100 s of play without a limit that applies";
    return;
  }
  ASSERT_TRUE(ended);
  const auto reason = std::find_if(lines.begin(), lines.end(), [&](const std::string& line) {
    return line.find(c.Ending) != std::string::npos;
  });
  EXPECT_NE(reason, lines.end()) << c.Ending;
}

INSTANTIATE_TEST_SUITE_P(GameTypes, SimGameLimits,
                         ::testing::Values(LimitCase{1, 3, 0, "reached the frag limit of 3."},
                                           LimitCase{2, 0, 30, "reached the score limit of 30."},
                                           LimitCase{3, 3, 0, "reached the frag limit of 3."},
                                           LimitCase{3, 0, 30, nullptr},
                                           LimitCase{4, 3, 0, nullptr},
                                           LimitCase{4, 0, 30, "reached the score limit of 30."},
                                           LimitCase{5, 3, 30, nullptr},
                                           LimitCase{6, 3, 30, nullptr}));

TEST_F(SimGameTest, BotsJoinWithExactMessages) {
  Begin({}, "1");
  std::vector<std::string> joinFrame;
  for (int i = 0; i < 100 && joinFrame.empty(); ++i) {
    auto messages = Frame();
    if (std::any_of(messages.begin(), messages.end(),
                    [](const std::string& m) { return m[0] == 0; })) {
      joinFrame = messages;
    }
  }
  EXPECT_EQ(StateMessages(joinFrame),
            (std::vector<std::string>{Message(0, "1 B"), Message(2, "1 Ash\n0 0 3 \0\0 -1 -1"sv)}));
  EXPECT_EQ(GameLines(joinFrame), std::vector<std::string>{"Ash joined the game."});

  ASSERT_EQ(Engine().PostCommand("bots 2"), 0);
  const auto second = RunUntil([](const std::string& m) { return m[0] == 0; }, 100);
  ASSERT_TRUE(second.has_value());
  EXPECT_EQ(*second, Message(0, "2 B"));
  const auto next = RunUntil([](const std::string& m) { return m[0] == 2; }, 100);
  ASSERT_TRUE(next.has_value());
  const auto records = ParseStats(*next);
  ASSERT_TRUE(records.has_value());
  ASSERT_EQ(records->size(), 2u);
  EXPECT_EQ((*records)[1].Id, 2);
  EXPECT_EQ((*records)[1].Name, "Brick");
  EXPECT_EQ((*records)[1].Kind, 1) << "kinds vary from bot to bot";
}

TEST_F(SimGameTest, LongGameKeepsTheMessageFormatAndAGentlePace) {
  Begin({.TimeLimitSeconds = 20.0f}, "6");
  std::set<int> present;
  int lastAdded = 0;
  int removals = 0;
  int lastStatsFrame = -100;
  int messageCount = 0;
  std::set<int> kinds;
  bool ringed = false;
  constexpr int kFrames = 4000;
  for (int frame = 0; frame < kFrames; ++frame) {
    for (const std::string& m : Frame()) {
      ++messageCount;
      ASSERT_FALSE(m.empty());
      switch (m[0]) {
        case 0: {
          const int id = std::stoi(m.substr(1));
          EXPECT_GT(id, lastAdded) << "client ids only grow";
          lastAdded = id;
          present.insert(id);
          break;
        }
        case 1:
          EXPECT_EQ(present.erase(std::stoi(m.substr(1))), 1u);
          ++removals;
          break;
        case 2: {
          EXPECT_GE(frame - lastStatsFrame, 31) << "at most one PlayerStats a second";
          lastStatsFrame = frame;
          const auto records = ParseStats(m);
          ASSERT_TRUE(records.has_value()) << m;
          EXPECT_FALSE(records->empty());
          for (const StatsRecord& r : *records) {
            EXPECT_EQ(present.count(r.Id), 1u) << "stats only for players the window knows";
            EXPECT_FALSE(r.Name.empty());
            EXPECT_LE(r.Name.size(), 29u);
            EXPECT_LE(r.Kind, 3);
            EXPECT_LE(r.Ringed, 1);
            EXPECT_GE(r.Lives, 1);
            EXPECT_EQ(r.Protected, -1);
            kinds.insert(r.Kind);
            ringed = ringed || r.Ringed == 1;
          }
          break;
        }
        default:
          EXPECT_LE(m[0], 5);
      }
    }
  }
  const double gameSeconds = kFrames * 0.033;
  EXPECT_LE(messageCount / gameSeconds, 6.0) << "a few events a second at most";
  EXPECT_EQ(present.size(), 6u);
  EXPECT_GE(removals, 1) << "bots come and go by themselves";
  EXPECT_EQ(kinds.size(), 4u);
  EXPECT_TRUE(ringed);
  for (int id : present) {
    float ping = 0;
    ASSERT_NE(Engine()->ReadClientPing(id, &ping), 0);
    EXPECT_GE(ping, 0.014f);
    EXPECT_LE(ping, 0.126f);
  }
}

TEST_F(SimGameTest, KickRemovesThePlayerForGood) {
  Begin({}, "2");
  int joined = 0;
  for (int i = 0; i < 200 && joined < 2; ++i) {
    for (const std::string& m : Frame()) {
      joined += m[0] == 0 ? 1 : 0;
    }
  }
  ASSERT_EQ(joined, 2);

  ASSERT_NE(Engine()->KickClient(1), 0);
  const auto messages = Engine().Handler().TakeMessages();
  EXPECT_EQ(StateMessages(messages), std::vector<std::string>{Message(1, "1")});
  EXPECT_EQ(GameLines(messages), std::vector<std::string>{"Ash was kicked from the server."});
  float ping = 0;
  EXPECT_EQ(Engine()->ReadClientPing(1, &ping), 0);
  EXPECT_NE(Engine()->ReadClientPing(2, &ping), 0);
  EXPECT_EQ(Engine()->KickClient(1), 0);

  ASSERT_EQ(Engine().PostCommand("kick 2"), 0);
  const auto byCommand = Frame();
  ASSERT_FALSE(StateMessages(byCommand).empty());
  EXPECT_EQ(StateMessages(byCommand).front(), Message(1, "2"));
  EXPECT_FALSE(RunUntil([](const std::string& m) { return m[0] == 0; }, 300))
      << "a kicked bot is not replaced";
}

// The host asks for pings from its window thread while its frame thread runs frames; a race
// here shows under the thread sanitizer.
TEST_F(SimGameTest, PingsCanBeReadWhileFramesRun) {
  Begin({}, "6");
  int joined = 0;
  for (int i = 0; i < 400 && joined < 6; ++i) {
    for (const std::string& m : Frame()) {
      joined += m[0] == 0 ? 1 : 0;
    }
  }
  ASSERT_EQ(joined, 6);

  std::atomic<bool> readerDone = false;
  std::atomic<int> frameCount = 0;
  std::thread frames([&] {
    while (!readerDone) {
      Engine().RunFrames(1);
      ++frameCount;
    }
  });
  int answered = 0;
  for (int i = 0; i < 2000 || frameCount < 100; ++i) {
    float ping = 0;
    if (Engine()->ReadClientPing(1 + i % 6, &ping) != 0 && ping > 0.0f) {
      ++answered;
    }
  }
  readerDone = true;
  frames.join();
  EXPECT_GT(answered, 1000);
}

TEST_F(SimGameTest, ConsoleCommandsAnswerWithGameLines) {
  Begin({.TimeLimitSeconds = 600.0f});
  Frame();
  const std::pair<const char*, const char*> cases[] = {
      {"help",
       "Commands: help, status, players, bots N, say TEXT, kick ID, map N, nextmap, cvarlist"},
      {"  HELP  ",
       "Commands: help, status, players, bots N, say TEXT, kick ID, map N, nextmap, cvarlist"},
      {"status", "\"Test\", Deathmatch, level 1 Arena (10:00 left), 0/8 players."},
      {"players", "No players."},
      {"say hello %s %d", "Server: hello %s %d"},
      {"say", "Usage: say TEXT"},
      {"bots 300", "Bots: 8 (the server holds 8 players)."},
      {"bots 0", "Bots: 0."},
      {"bots many", "Usage: bots N (0 to 8)"},
      {"kick 42", "No player with id 42."},
      {"kick", "Usage: kick ID"},
      {"map 7", "There is no level 7; the levels run from 0 to 2."},
      {"map two", "Usage: map N"},
      {"frobnicate now", "Unknown command: frobnicate now"},
  };
  for (const auto& [command, answer] : cases) {
    ASSERT_EQ(Engine().PostCommand(command), 0) << command;
    const auto messages = Frame();
    EXPECT_TRUE(StateMessages(messages).empty()) << command;
    EXPECT_EQ(GameLines(messages), std::vector<std::string>{answer}) << command;
  }
}

TEST(SimEngineShellMessages, MalformedMessagesAreRefused) {
  TestEngine engine;
  ASSERT_TRUE(engine.Created());
  struct Case {
    const char* Name;
    std::vector<std::uint8_t> Bytes;
    bool Accepted;
  };
  const Case cases[] = {
      {"empty", {}, false},
      {"unknown id", {9, 10}, false},
      {"select without digits", {2, 10, 10}, false},
      {"select with letters", {2, 10, 'x', 10}, false},
      {"select 12", {2, 10, '1', '2', 10, 0, 0}, true},
      {"select beyond 64 bits",
       {2,   10,  '9', '9', '9', '9', '9', '9', '9', '9', '9', '9',
        '9', '9', '9', '9', '9', '9', '9', '9', '9', '9', 10},
       false},
      {"next", {1, 10, 0}, true},
      {"console text", {3, 'h', 'i', 0, 0xFF}, true},
      {"console text without its zero", {3, 'h', 'i'}, true},
  };
  for (const Case& c : cases) {
    const int result =
        engine->PostShellMessage(c.Bytes.data(), static_cast<std::uint32_t>(c.Bytes.size()));
    EXPECT_EQ(result == 0, c.Accepted) << c.Name;
  }
  EXPECT_NE(engine->PostShellMessage(nullptr, 32), 0);
}

}  // namespace
}  // namespace vex::test
