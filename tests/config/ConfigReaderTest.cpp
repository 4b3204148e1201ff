#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <tuple>
#include <vector>

#include "config/ConfigReader.h"
#include "tests/support/ScratchFolder.h"

namespace vex {
namespace {

std::vector<std::string> g_messages;
void CollectMessage(const char* message) {
  g_messages.emplace_back(message);
}

// Parses the text as a configuration file and reads it into config_.
class ConfigReaderTest : public ::testing::Test {
 protected:
  void Read(const std::string& text) {
    g_messages.clear();
    const auto path = dir_.Write("server.txt", text);
    file_.SetErrorCallback(CollectMessage);
    ASSERT_TRUE(file_.Parse(path.string())) << file_.LastError();
    ReadServerConfig(config_, file_);
  }

  test::ScratchFolder dir_;
  CAttributeFile file_;
  CServerConfig config_;
};

TEST_F(ConfigReaderTest, EmptySettingsKeepDefaults) {
  Read("[Settings]\n");
  EXPECT_STREQ(config_.ServName, "Orvo-VexMod");
  EXPECT_EQ(config_.GameType, 1);
  EXPECT_STREQ(config_.JoinPass, "OFF");
  EXPECT_STREQ(config_.ContPass, "OFF");
  EXPECT_STREQ(config_.MastPass, "OFF");
  EXPECT_TRUE(g_messages.empty());
}

TEST_F(ConfigReaderTest, PasswordsOfThreeOrFewerCharactersMeanNone) {
  Read(
      "[Settings]\n"
      "JoinPass = \"abc\"\n"
      "ContPass = \"abcd\"\n"
      "MastPass = \"abcdefghijklmnopqrst\"\n");
  EXPECT_STREQ(config_.JoinPass, "OFF");
  EXPECT_STREQ(config_.ContPass, "abcd");
  EXPECT_STREQ(config_.MastPass, "abcdefghijklmno");
}

TEST_F(ConfigReaderTest, EmptyPasswordMeansNone) {
  Read("[Settings]\nJoinPass = \"\"\n");
  EXPECT_STREQ(config_.JoinPass, "OFF");
}

TEST_F(ConfigReaderTest, ServerNameKeeps63CharactersWithSlashesForBackslashes) {
  std::string name;
  for (int i = 0; i < 10; ++i) {
    name += "abcd\\fghi\\";
  }
  ASSERT_EQ(name.size(), 100u);
  Read("[Settings]\nServName = \"" + name + "\"\n");
  std::string expected = name.substr(0, 63);
  std::replace(expected.begin(), expected.end(), '\\', '/');
  EXPECT_EQ(std::string(config_.ServName), expected);
}

struct WidthCase {
  const char* tag;
  const char* key;
  const char* value;
  std::function<long long(const CServerConfig&)> field;
  long long expected;
};

TEST_F(ConfigReaderTest, IntegersKeepTheLowBitsOfTheirFieldWidth) {
  const WidthCase cases[] = {
      {"Settings", "GameType", "258", [](auto& c) { return c.GameType; }, 2},
      {"Settings", "Dedicated", "-5", [](auto& c) { return c.Dedicated; }, -5},
      {"Preferences", "MedPacks", "300", [](auto& c) { return c.MedPacks; }, 44},
      {"Preferences", "RegSkulls", "-1", [](auto& c) { return c.RegSkulls; }, 255},
      {"Preferences", "PortID", "70000", [](auto& c) { return c.PortID; }, 70000},
      {"Preferences", "Bandwidth", "56000", [](auto& c) { return c.Bandwidth; }, 56000},
      {"Deathmatch", "MaxTotalPlayers", "40", [](auto& c) { return c.Deathmatch.MaxTotalPlayers; },
       16},
      {"Deathmatch", "MaxTotalPlayers", "16", [](auto& c) { return c.Deathmatch.MaxTotalPlayers; },
       16},
      {"Deathmatch", "MaxTotalPlayers", "12", [](auto& c) { return c.Deathmatch.MaxTotalPlayers; },
       12},
      {"Deathmatch", "MaxTotalPlayers", "-1", [](auto& c) { return c.Deathmatch.MaxTotalPlayers; },
       16},
      // Capped before the byte is cut: cut first, 256 and 264 would be 0 and 8 players.
      {"Deathmatch", "MaxTotalPlayers", "256", [](auto& c) { return c.Deathmatch.MaxTotalPlayers; },
       16},
      {"Deathmatch", "MaxTotalPlayers", "264", [](auto& c) { return c.Deathmatch.MaxTotalPlayers; },
       16},
      {"Deathmatch", "ScoreLimit", "70000", [](auto& c) { return c.Deathmatch.ScoreLimit; }, 4464},
      {"Deathmatch", "MaxPlayers3", "260", [](auto& c) { return c.Deathmatch.MaxPlayers[3]; }, 4},
      {"TeamDeathmatch", "MaxTotalPlayers", "40",
       [](auto& c) { return c.TeamDeathmatch.MaxTotalPlayers; }, 40},
      {"TeamDeathmatch", "TimeLimit", "30", [](auto& c) { return c.TeamDeathmatch.TimeLimit; }, 30},
      {"Hunt", "MaxTotalPlayers", "300", [](auto& c) { return c.Hunt.MaxTotalPlayers; }, 44},
      {"Hunt", "PreyRace", "3", [](auto& c) { return c.Hunt.PreyRace; }, 3},
      {"Survivor", "ScoreLimit", "65537", [](auto& c) { return c.Survivor.ScoreLimit; }, 1},
      {"Survivor", "AttackerRace", "2", [](auto& c) { return c.Survivor.AttackerRace; }, 2},
      {"Overrun", "DefenderLives", "5", [](auto& c) { return c.Overrun.DefenderLives; }, 5},
      {"Evac", "AttackerLives", "511", [](auto& c) { return c.Evac.AttackerLives; }, 255},
  };
  for (const WidthCase& c : cases) {
    SCOPED_TRACE(std::string(c.tag) + ":" + c.key + "=" + c.value);
    CAttributeFile file;
    CServerConfig config;
    const auto path =
        dir_.Write("width.txt", std::string("[") + c.tag + "]\n" + c.key + " = " + c.value + "\n");
    ASSERT_TRUE(file.Parse(path.string()));
    ReadServerConfig(config, file);
    EXPECT_EQ(c.field(config), c.expected);
  }
}

using Narrowing = std::tuple<std::string, std::string, int, long long, long long>;

TEST_F(ConfigReaderTest, ValuesThatDoNotFitTheirFieldAreAnsweredWithTheirLine) {
  const auto path = dir_.Write("narrow.txt",
                               "[Settings]\n"
                               "GameType = 257\n"
                               "[Preferences]\n"
                               "MedPacks = 10\n"
                               "[Scoring]\n"
                               "Class0 = 5\n"
                               "Score0 = 1000\n"
                               "[Deathmatch]\n"
                               "MaxTotalPlayers = 256\n"
                               "[Hunt]\n"
                               "MaxTotalPlayers = 300\n");
  CAttributeFile file;
  CServerConfig config;
  ASSERT_TRUE(file.Parse(path.string()));
  std::vector<Narrowing> narrowed;
  for (const NarrowedValue& value : ReadServerConfig(config, file)) {
    narrowed.emplace_back(value.Tag, value.Key, value.Line, value.Read, value.Kept);
  }
  EXPECT_EQ(narrowed, (std::vector<Narrowing>{{"Settings", "GameType", 2, 257, 1},
                                              {"Scoring", "Score0", 7, 1000, 232},
                                              {"Deathmatch", "MaxTotalPlayers", 9, 256, 16},
                                              {"Hunt", "MaxTotalPlayers", 11, 300, 44}}));
}

TEST_F(ConfigReaderTest, MistypedKeysKeepDefaultsAndAreReported) {
  Read(
      "[Settings]\n"
      "GameType = \"3\"\n"
      "ServName = 5\n"
      "[Hunt]\n"
      "HunterRace = (BYTE) 4\n");
  EXPECT_EQ(config_.GameType, 1);
  EXPECT_STREQ(config_.ServName, "Orvo-VexMod");
  EXPECT_EQ(config_.Hunt.HunterRace, 2);
  ASSERT_EQ(g_messages.size(), 3u);
  EXPECT_NE(g_messages[0].find("Type mismatch - [Settings]:ServName"), std::string::npos);
  EXPECT_NE(g_messages[1].find("Type mismatch - [Settings]:GameType"), std::string::npos);
  EXPECT_NE(g_messages[2].find("Type mismatch - [Hunt]:HunterRace"), std::string::npos);
}

TEST_F(ConfigReaderTest, DamScaleAcceptsIntegersAndFloatsButNotDoubles) {
  struct Case {
    const char* value;
    float expected;
    bool mismatch;
  };
  const Case cases[] = {
      {"2", 2.0f, false},
      {"1.5f", 1.5f, false},
      {"(FLOAT) 1.5", 1.5f, false},
      {"1.5", 1.0f, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.value);
    g_messages.clear();
    CAttributeFile file;
    file.SetErrorCallback(CollectMessage);
    CServerConfig config;
    const auto path =
        dir_.Write("dam.txt", std::string("[Preferences]\nDamScale = ") + c.value + "\n");
    ASSERT_TRUE(file.Parse(path.string()));
    ReadServerConfig(config, file);
    EXPECT_EQ(config.DamScale, c.expected);
    EXPECT_EQ(g_messages.size(), c.mismatch ? 1u : 0u);
  }
}

TEST_F(ConfigReaderTest, CharacterLimitsAndWeaponsLandInKeyOrder) {
  std::string text = "[Characters]\n";
  int value = 1;
  for (const char* group : {"A", "P", "C", "M"}) {
    for (int n = 1; n <= 4; ++n) {
      text += std::string(group) + "CharLimit" + std::to_string(n) + " = " +
              std::to_string(value++) + "\n";
    }
  }
  text += "[Weapons]\n";
  for (int n = 0; n < 26; ++n) {
    text += "DisWeapons" + std::to_string(n) + " = " + std::to_string(100 + n) + "\n";
  }
  Read(text);
  for (int i = 0; i < 16; ++i) {
    EXPECT_EQ(config_.CharLimits[i], i + 1) << i;
  }
  for (int n = 0; n < 26; ++n) {
    EXPECT_EQ(config_.DisWeapons[n], 100 + n) << n;
  }
}

TEST_F(ConfigReaderTest, ScoringStopsAtTheFirstMissingClass) {
  Read(
      "[Scoring]\n"
      "Class0 = 10\nScore0 = 1\n"
      "Class1 = 11\n"
      "Class3 = 13\nScore3 = 3\n");
  const std::vector<ScoreEntry> entries = config_.Scoring.InBucketOrder();
  ASSERT_EQ(entries.size(), 2u);
  EXPECT_EQ(config_.Scoring.Find(10), std::optional<std::uint8_t>(1));
  EXPECT_EQ(config_.Scoring.Find(11), std::optional<std::uint8_t>(0));
  EXPECT_EQ(config_.Scoring.Find(13), std::nullopt);
}

TEST_F(ConfigReaderTest, ScoringKeepsTheLaterScoreOfARepeatedClassInLowBits) {
  Read(
      "[Scoring]\n"
      "Class0 = 7\nScore0 = 1\n"
      "Class1 = 7\nScore1 = 258\n"
      "Class2 = \"8\"\nScore2 = 5\n");
  EXPECT_EQ(config_.Scoring.Size(), 1u);
  EXPECT_EQ(config_.Scoring.Find(7), std::optional<std::uint8_t>(2));
}

TEST_F(ConfigReaderTest, LevelsRunWithoutAGapUpToTwenty) {
  std::string text =
      "[Deathmatch]\nMap00 = \"Worlds\\Multi\\A\"\nMap01 = \"Worlds\\Multi\\B\"\n"
      "Map03 = \"Worlds\\Multi\\D\"\n[Hunt]\n";
  for (int n = 0; n < 25; ++n) {
    char key[8];
    std::snprintf(key, sizeof key, "Map%02d", n);
    text += std::string(key) + " = \"L" + std::to_string(n) + "\"\n";
  }
  text += "[Survivor]\nMap00 = \"S\"\nMap01 = 3\nMap02 = \"U\"\n";
  Read(text);
  EXPECT_EQ(config_.Deathmatch.Maps, (LevelList{"Worlds\\Multi\\A", "Worlds\\Multi\\B"}));
  ASSERT_EQ(config_.Hunt.Maps.size(), 20u);
  EXPECT_EQ(config_.Hunt.Maps.front(), "L0");
  EXPECT_EQ(config_.Hunt.Maps.back(), "L19");
  EXPECT_EQ(config_.Survivor.Maps, (LevelList{"S", "", "U"}));
  EXPECT_TRUE(config_.TeamDeathmatch.Maps.empty());
  EXPECT_TRUE(config_.Evac.Maps.empty());
}

TEST_F(ConfigReaderTest, EveryGameTypeTagIsReadWhateverTheType) {
  Read(
      "[Settings]\nGameType = 3\n"
      "[Deathmatch]\nFragLimit = 20\nMap00 = \"d\"\n"
      "[TeamDeathmatch]\nMaxPlayers0 = 4\nMap00 = \"t\"\n"
      "[Survivor]\nRoundLimit = 6\n"
      "[Overrun]\nDefenderRace = 7\nMap00 = \"o\"\n"
      "[Evac]\nAttackerRace = 9\nMap00 = \"e\"\n");
  EXPECT_EQ(config_.GameType, 3);
  EXPECT_EQ(config_.Deathmatch.FragLimit, 20);
  EXPECT_EQ(config_.TeamDeathmatch.MaxPlayers[0], 4);
  EXPECT_EQ(config_.Survivor.RoundLimit, 6);
  EXPECT_EQ(config_.Overrun.DefenderRace, 7);
  EXPECT_EQ(config_.Evac.AttackerRace, 9);
  EXPECT_EQ(config_.Deathmatch.Maps, LevelList{"d"});
  EXPECT_EQ(config_.TeamDeathmatch.Maps, LevelList{"t"});
  EXPECT_EQ(config_.Overrun.Maps, LevelList{"o"});
  EXPECT_EQ(config_.Evac.Maps, LevelList{"e"});
}

}  // namespace
}  // namespace vex
