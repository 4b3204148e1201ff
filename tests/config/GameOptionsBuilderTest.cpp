#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "BlockCompare.h"
#include "config/FixedText.h"
#include "config/GameOptionsBuilder.h"

namespace vex {
namespace {

template <typename T>
void PutAt(std::uint8_t* bytes, std::size_t offset, T value) {
  std::memcpy(bytes + offset, &value, sizeof value);
}

TEST(PresetGameOptions, OnlyThePresetBytesAreNonZero) {
  std::uint8_t expected[kGameOptionsSize] = {};
  std::memcpy(expected + 0, "Orvo-VexMod", 11);
  std::memcpy(expected + 64, "OFF", 3);
  std::memcpy(expected + 80, "OFF", 3);
  std::memcpy(expected + 96, "OFF", 3);
  PutAt<std::uint16_t>(expected, 136, 27888);
  PutAt<std::int32_t>(expected, 140, 1000000);
  PutAt<float>(expected, 1452, 1.0f);
  PutAt<std::int32_t>(expected, 1456, 1);
  PutAt<std::int32_t>(expected, 1460, 1);
  expected[1464] = 10;
  expected[1465] = 9;
  PutAt<std::int32_t>(expected, 1472, 1);
  for (std::size_t i = 0; i < 26; ++i) {
    PutAt<std::int32_t>(expected, 1476 + 4 * i, 1);
  }
  const CGameOptions block = PresetGameOptions();
  CGameOptions expectedBlock;
  std::memcpy(&expectedBlock, expected, sizeof expected);
  EXPECT_TRUE(test::SameBlock(expectedBlock, block));
}

// Distinct values in every group, so that copying the wrong group or field shows.
void FillConfig(CServerConfig& config, std::uint8_t gameType) {
  config.GameType = gameType;
  WriteFixedText(config.ServName, "Test Server");
  WriteFixedText(config.JoinPass, "secret1");
  WriteFixedText(config.ContPass, "cont-pass");
  config.PortID = 70000;
  config.Bandwidth = 5000;
  config.LANConnection = 1;
  config.DamScale = 2.5f;
  config.FriendFire = 0;
  config.MaskLoss = 0;
  config.MedPacks = 3;
  config.RegSkulls = 4;
  config.LifeCycle = 6;
  config.CharLock = 0;
  for (int i = 0; i < 26; ++i) {
    config.DisWeapons[i] = i % 2;
  }
  for (int i = 0; i < 16; ++i) {
    config.CharLimits[i] = static_cast<std::uint8_t>(i + 1);
  }
  config.Scoring.Set(3, 30);
  config.Scoring.Set(10, 100);
  config.Scoring.Set(196, 40);  // shares bucket 3 with class 3 and is newer

  config.Deathmatch = {11, {1, 2, 3, 4}, 5, 600, 7, {"Worlds\\Multi\\dm-a", "", "dm-b"}};
  config.TeamDeathmatch = {21, {22, 23, 24, 25}, 26, 2700, 28, {"tdm"}};
  config.Hunt = {31, 32, 33, 34, 35, {"hunt"}};
  config.Survivor = {41, 4200, 43, 44, 45, 46, {"surv"}};
  for (auto [group, base] : {std::pair{&config.Overrun, 50}, std::pair{&config.Evac, 60}}) {
    group->MaxTotalPlayers = static_cast<std::uint8_t>(base + 1);
    group->RoundLimit = static_cast<std::uint8_t>(base + 2);
    group->TimeLimit = static_cast<std::uint8_t>(base + 3);
    group->DefenderRace = static_cast<std::uint8_t>(base + 4);
    group->DefenderLives = static_cast<std::uint8_t>(base + 5);
    group->AttackerRace = static_cast<std::uint8_t>(base + 6);
    group->AttackerLives = static_cast<std::uint8_t>(base + 7);
    group->Maps = {base == 50 ? "over" : "evac"};
  }
}

// What every known type writes besides its group.
CGameOptions ExpectedGeneral(int gameType) {
  CGameOptions block = PresetGameOptions();
  block.GameType = gameType;
  block.Unnamed116 = 2;
  WriteFixedText(block.ServName, "Test Server");
  WriteFixedText(block.JoinPass, "secret1");
  WriteFixedText(block.ContPass, "cont-pass");
  block.JoinPassSet = 1;
  block.PortID = 4464;
  block.Bandwidth = 5000;
  block.LANConnection = 1;
  block.DamScale = 2.5f;
  block.FriendFire = 0;
  block.MaskLoss = 0;
  block.MedPacks = 3;
  block.RegSkulls = 4;
  block.LifeCycle = 6;
  block.CharLock = 0;
  for (int i = 0; i < 26; ++i) {
    block.DisWeapons[i] = i % 2;
  }
  for (int i = 0; i < 16; ++i) {
    block.CharLimits[i] = static_cast<std::uint8_t>(i + 1);
  }
  block.ScoreClasses[0] = 196;
  block.ScoreValues[0] = 40;
  block.ScoreClasses[1] = 3;
  block.ScoreValues[1] = 30;
  block.ScoreClasses[2] = 10;
  block.ScoreValues[2] = 100;
  return block;
}

// What each type's group writes, for the values of FillConfig.
void ExpectDeathmatch(CGameOptions& b) {
  b.MaxTotalPlayers = 11;
  b.MaxPlayers[0] = 1;
  b.MaxPlayers[1] = 2;
  b.MaxPlayers[2] = 3;
  b.MaxPlayers[3] = 4;
  b.FragLimit = 5;
  b.ScoreLimit = 600;
  b.TimeLimitSeconds = 420.0f;
  WriteFixedText(b.Maps[0], "Worlds\\Multi\\dm-a");
  WriteFixedText(b.Maps[1], "dm-b");
  b.MapCount = 2;
}

void ExpectTeamDeathmatch(CGameOptions& b) {
  b.MaxTotalPlayers = 21;
  b.MaxPlayers[0] = 22;
  b.MaxPlayers[1] = 23;
  b.MaxPlayers[2] = 24;
  b.MaxPlayers[3] = 25;
  b.FragLimit = 26;
  b.ScoreLimit = 2700;
  b.TimeLimitSeconds = 1680.0f;
  WriteFixedText(b.Maps[0], "tdm");
  b.MapCount = 1;
}

void ExpectHunt(CGameOptions& b) {
  b.MaxTotalPlayers = 31;
  b.FragLimit = 32;
  b.TimeLimitSeconds = 1980.0f;
  b.HunterRace = 34;
  b.PreyRace = 35;
  WriteFixedText(b.Maps[0], "hunt");
  b.MapCount = 1;
}

void ExpectSurvivor(CGameOptions& b) {
  b.MaxTotalPlayers = 41;
  b.ScoreLimit = 4200;
  b.RoundLimit = 43;
  b.TimeLimitSeconds = 2640.0f;
  b.SurvivorRace = 45;
  b.SurvivorAttackerRace = 46;
  WriteFixedText(b.Maps[0], "surv");
  b.MapCount = 1;
}

void ExpectAttackDefend(CGameOptions& b, int base, const char* level) {
  b.MaxTotalPlayers = static_cast<std::uint8_t>(base + 1);
  b.RoundLimit = static_cast<std::uint8_t>(base + 2);
  b.TimeLimitSeconds = static_cast<float>((base + 3) * 60);
  b.DefenderRace = static_cast<std::uint8_t>(base + 4);
  b.DefenderLives = static_cast<std::uint8_t>(base + 5);
  b.AttackerRace = static_cast<std::uint8_t>(base + 6);
  b.AttackerLives = static_cast<std::uint8_t>(base + 7);
  WriteFixedText(b.Maps[0], level);
  b.MapCount = 1;
}

void ExpectOverrun(CGameOptions& b) {
  ExpectAttackDefend(b, 50, "over");
}
void ExpectEvac(CGameOptions& b) {
  ExpectAttackDefend(b, 60, "evac");
}

struct TypeCase {
  int gameType;
  void (*group)(CGameOptions&);
};

void PrintTo(const TypeCase& c, std::ostream* out) {
  *out << "game type " << c.gameType;
}

class TranslateByType : public ::testing::TestWithParam<TypeCase> {};

TEST_P(TranslateByType, WritesTheGeneralSettingsAndOnlyTheSelectedGroup) {
  CServerConfig config;
  FillConfig(config, static_cast<std::uint8_t>(GetParam().gameType));
  CGameOptions block = PresetGameOptions();
  TranslateConfig(config, block);

  CGameOptions expected = ExpectedGeneral(GetParam().gameType);
  GetParam().group(expected);
  EXPECT_TRUE(test::SameBlock(expected, block));
}

INSTANTIATE_TEST_SUITE_P(AllSixTypes, TranslateByType,
                         ::testing::Values(TypeCase{1, ExpectDeathmatch},
                                           TypeCase{2, ExpectTeamDeathmatch},
                                           TypeCase{3, ExpectHunt}, TypeCase{4, ExpectSurvivor},
                                           TypeCase{5, ExpectOverrun}, TypeCase{6, ExpectEvac}),
                         [](const ::testing::TestParamInfo<TypeCase>& param) {
                           return "GameType" + std::to_string(param.param.gameType);
                         });

TEST(TranslateConfig, UnknownGameTypeWritesNothing) {
  for (std::uint8_t gameType : {0, 7, 255}) {
    CServerConfig config;
    FillConfig(config, gameType);
    CGameOptions block = PresetGameOptions();
    TranslateConfig(config, block);
    EXPECT_TRUE(test::SameBlock(PresetGameOptions(), block)) << int{gameType};
  }
}

TEST(TranslateConfig, DefaultGroupsOfHuntAndSurvivor) {
  CServerConfig config;
  config.GameType = 3;
  config.Hunt.Maps = {"a", "b"};
  CGameOptions block = PresetGameOptions();
  TranslateConfig(config, block);
  EXPECT_EQ(block.MapCount, 2);
  EXPECT_STREQ(block.Maps[0], "a");
  EXPECT_STREQ(block.Maps[1], "b");
  EXPECT_EQ(block.HunterRace, 2);
  EXPECT_EQ(block.PreyRace, 1);
  EXPECT_EQ(block.MaxPlayers[0], 0);
  EXPECT_EQ(block.ScoreLimit, 0);
  EXPECT_EQ(block.RoundLimit, 0);
  EXPECT_EQ(block.JoinPassSet, 0);

  config.GameType = 4;
  config.Survivor.Maps = {"s"};
  block = PresetGameOptions();
  TranslateConfig(config, block);
  EXPECT_EQ(block.ScoreLimit, 1500);
  EXPECT_EQ(block.TimeLimitSeconds, 0.0f);
}

TEST(TranslateConfig, EmptyTextsFallBack) {
  CServerConfig config;
  config.Deathmatch.Maps = {"a"};
  WriteFixedText(config.ServName, "");
  WriteFixedText(config.JoinPass, "");
  WriteFixedText(config.MastPass, "");
  CGameOptions block = PresetGameOptions();
  WriteFixedText(block.ServName, "left over from before");
  TranslateConfig(config, block);
  CGameOptions expected = PresetGameOptions();
  EXPECT_EQ(std::memcmp(block.ServName, expected.ServName, sizeof block.ServName), 0);
  EXPECT_STREQ(block.JoinPass, "OFF");
  EXPECT_STREQ(block.MastPass, "OFF");
  EXPECT_EQ(block.JoinPassSet, 0);

  WriteFixedText(config.JoinPass, "abcd");
  TranslateConfig(config, block);
  EXPECT_EQ(block.JoinPassSet, 1);
}

TEST(TranslateConfig, LevelsSkipEmptyNamesAndStopAtTwenty) {
  struct Case {
    int count;
    int emptyAt;
    int expectedCount;
  };
  for (const Case c : {Case{20, 2, 19}, Case{25, -1, 20}, Case{21, 0, 20}}) {
    SCOPED_TRACE(c.count);
    CServerConfig config;
    for (int i = 0; i < c.count; ++i) {
      config.Deathmatch.Maps.push_back(i == c.emptyAt ? "" : "L" + std::to_string(i));
    }
    CGameOptions block = PresetGameOptions();
    TranslateConfig(config, block);
    ASSERT_EQ(block.MapCount, c.expectedCount);
    int slot = 0;
    for (int i = 0; i < c.count && slot < kMaxLevels; ++i) {
      if (i != c.emptyAt) {
        EXPECT_EQ(std::string(block.Maps[slot++]), "L" + std::to_string(i));
      }
    }
  }
}

TEST(TranslateConfig, AnOverLongLevelNameIsCutInsideItsSlot) {
  CServerConfig config;
  config.Deathmatch.Maps = {std::string(70, 'x'), "next"};
  CGameOptions block = PresetGameOptions();
  TranslateConfig(config, block);
  ASSERT_EQ(block.MapCount, 2);
  EXPECT_EQ(std::string(block.Maps[0]), std::string(63, 'x'));
  EXPECT_EQ(block.Maps[0][63], '\0');
  EXPECT_STREQ(block.Maps[1], "next");
  EXPECT_EQ(block.Maps[2][0], '\0');
}

TEST(TranslateConfig, KeepsTheFirst32ScoringEntriesInTableOrder) {
  CServerConfig config;
  config.Deathmatch.Maps = {"a"};
  for (int id = 39; id >= 0; --id) {
    config.Scoring.Set(id, static_cast<std::uint8_t>(id + 100));
  }
  config.Scoring.Set(193, 7);  // bucket 0, newest: first of all
  CGameOptions block = PresetGameOptions();
  TranslateConfig(config, block);
  EXPECT_EQ(block.ScoreClasses[0], 193);
  EXPECT_EQ(block.ScoreValues[0], 7);
  for (int k = 1; k < kMaxScoreEntries; ++k) {
    EXPECT_EQ(block.ScoreClasses[k], k - 1);
    EXPECT_EQ(block.ScoreValues[k], k - 1 + 100);
  }
  EXPECT_EQ(block.CharLimits[0], 8);  // the byte right before the scoring arrays
}

}  // namespace
}  // namespace vex
