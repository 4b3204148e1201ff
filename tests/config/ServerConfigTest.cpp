#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "config/GameTypes.h"
#include "config/ServerConfig.h"

namespace vex {
namespace {

std::vector<std::pair<std::int32_t, int>> Walk(const CScoringTable& table) {
  std::vector<std::pair<std::int32_t, int>> entries;
  for (const ScoreEntry& entry : table.InBucketOrder()) {
    entries.emplace_back(entry.ClassId, entry.Score);
  }
  return entries;
}

TEST(ServerConfig, Defaults) {
  const CServerConfig config;
  EXPECT_STREQ(config.ServName, "Orvo-VexMod");
  EXPECT_STREQ(config.JoinPass, "OFF");
  EXPECT_STREQ(config.ContPass, "OFF");
  EXPECT_STREQ(config.MastPass, "OFF");
  EXPECT_EQ(config.GameType, 1);
  EXPECT_EQ(config.PortID, 27888);
  EXPECT_EQ(config.Bandwidth, 1000000);
  EXPECT_EQ(config.Dedicated, 0);
  EXPECT_EQ(config.LANConnection, 0);
  EXPECT_EQ(config.DamScale, 1.0f);
  EXPECT_EQ(config.FriendFire, 1);
  EXPECT_EQ(config.MaskLoss, 1);
  EXPECT_EQ(config.MedPacks, 10);
  EXPECT_EQ(config.RegSkulls, 9);
  EXPECT_EQ(config.LifeCycle, 0);
  EXPECT_EQ(config.CharLock, 1);
  for (int flag : config.DisWeapons) {
    EXPECT_EQ(flag, 1);
  }
  for (int limit : config.CharLimits) {
    EXPECT_EQ(limit, 8);
  }
  EXPECT_TRUE(config.Scoring.Empty());

  for (const CDeathmatchConfig* group : {&config.Deathmatch, &config.TeamDeathmatch}) {
    EXPECT_EQ(group->MaxTotalPlayers, 8);
    for (int players : group->MaxPlayers) {
      EXPECT_EQ(players, 8);
    }
    EXPECT_EQ(group->FragLimit, 0);
    EXPECT_EQ(group->ScoreLimit, 0);
    EXPECT_EQ(group->TimeLimit, 0);
    EXPECT_TRUE(group->Maps.empty());
  }
  EXPECT_EQ(config.Hunt.MaxTotalPlayers, 8);
  EXPECT_EQ(config.Hunt.HunterRace, 2);
  EXPECT_EQ(config.Hunt.PreyRace, 1);
  EXPECT_TRUE(config.Hunt.Maps.empty());
  EXPECT_EQ(config.Survivor.MaxTotalPlayers, 8);
  EXPECT_EQ(config.Survivor.ScoreLimit, 1500);
  EXPECT_EQ(config.Survivor.RoundLimit, 0);
  EXPECT_EQ(config.Survivor.SurvivorRace, 1);
  EXPECT_EQ(config.Survivor.AttackerRace, 0);
  EXPECT_TRUE(config.Survivor.Maps.empty());
}

TEST(ServerConfig, OverrunAndEvacDifferOnlyInDefenderRace) {
  const CServerConfig config;
  EXPECT_EQ(config.Overrun.DefenderRace, 3);
  EXPECT_EQ(config.Evac.DefenderRace, 1);
  for (const CAttackDefendConfig* group : {&config.Overrun, &config.Evac}) {
    EXPECT_EQ(group->MaxTotalPlayers, 8);
    EXPECT_EQ(group->RoundLimit, 0);
    EXPECT_EQ(group->TimeLimit, 0);
    EXPECT_EQ(group->DefenderLives, 1);
    EXPECT_EQ(group->AttackerRace, 0);
    EXPECT_EQ(group->AttackerLives, 2);
    EXPECT_TRUE(group->Maps.empty());
  }
}

TEST(ScoringTable, WalksBucketsInOrderWithNewestFirstInABucket) {
  CScoringTable table;
  table.Set(5, 50);
  table.Set(192, 1);
  table.Set(0, 0);
  table.Set(198, 98);  // bucket 5, newer than 5
  table.Set(-1, 7);    // 4294967295 % 193 = 107
  EXPECT_EQ(Walk(table), (std::vector<std::pair<std::int32_t, int>>{
                             {0, 0}, {198, 98}, {5, 50}, {-1, 7}, {192, 1}}));
  EXPECT_EQ(table.Size(), 5u);
}

TEST(ScoringTable, AnExistingClassKeepsItsPlaceAndTakesTheNewScore) {
  CScoringTable table;
  table.Set(5, 1);
  table.Set(198, 2);
  table.Set(5, 3);
  EXPECT_EQ(Walk(table), (std::vector<std::pair<std::int32_t, int>>{{198, 2}, {5, 3}}));
  EXPECT_EQ(table.Find(5), std::optional<std::uint8_t>(3));
  EXPECT_EQ(table.Find(391), std::nullopt);
}

TEST(GameTypes, SixTypesWithTagsAndDisplayStrings) {
  const char* tags[] = {"Deathmatch", "TeamDeathmatch", "Hunt", "Survivor", "Overrun", "Evac"};
  for (int id = 1; id <= 6; ++id) {
    const GameTypeInfo* type = FindGameType(id);
    ASSERT_NE(type, nullptr);
    EXPECT_STREQ(type->Tag, tags[id - 1]);
    EXPECT_EQ(type->DisplayStringId, 1999 + id);
  }
  EXPECT_EQ(FindGameType(0), nullptr);
  EXPECT_EQ(FindGameType(7), nullptr);
}

}  // namespace
}  // namespace vex
