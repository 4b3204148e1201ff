#include <gtest/gtest.h>

#include <vector>

#include "ui/Roster.h"

namespace vex {
namespace {

struct Step {
  enum { Add, Remove } Action;
  std::int32_t ClientId;
};

struct OrderCase {
  const char* Title;
  std::vector<Step> Steps;
  std::vector<std::int32_t> Order;  // client ids in enumeration order
};

void PrintTo(const OrderCase& c, std::ostream* os) {
  *os << c.Title;
}

class RosterOrder : public testing::TestWithParam<OrderCase> {};

TEST_P(RosterOrder, EnumeratesBucketsInOrderNewestFirst) {
  CRoster roster;
  for (const Step& step : GetParam().Steps) {
    if (step.Action == Step::Add) {
      CPlayerInfo player;
      player.ClientId = step.ClientId;
      roster.Add(player);
    } else {
      roster.Remove(step.ClientId);
    }
  }
  std::vector<std::int32_t> order;
  roster.ForEach([&](const CPlayerInfo& player) { order.push_back(player.ClientId); });
  EXPECT_EQ(order, GetParam().Order);
  EXPECT_EQ(roster.Size(), order.size());
}

// Bucket of a key: (key >> 4) % 17. 16 is in bucket 1, 272 = 17 * 16 wraps to bucket 0,
// 0xFFFF is in bucket 4095 % 17 = 15.
INSTANTIATE_TEST_SUITE_P(
    Orders, RosterOrder,
    testing::Values(
        OrderCase{
            "small ids newest first", {{Step::Add, 1}, {Step::Add, 2}, {Step::Add, 3}}, {3, 2, 1}},
        OrderCase{"buckets ascending",
                  {{Step::Add, 0xFFFF}, {Step::Add, 16}, {Step::Add, 40}, {Step::Add, 5}},
                  {5, 16, 40, 0xFFFF}},
        OrderCase{"bucket 17 wraps to 0",
                  {{Step::Add, 3}, {Step::Add, 20}, {Step::Add, 272}},
                  {272, 3, 20}},
        OrderCase{"re-adding moves to the front",
                  {{Step::Add, 1}, {Step::Add, 2}, {Step::Add, 3}, {Step::Add, 1}},
                  {1, 3, 2}},
        OrderCase{"high bits share the key",
                  {{Step::Add, 7}, {Step::Add, 8}, {Step::Add, 0x10007}},
                  {0x10007, 8}},
        OrderCase{"remove by a same-key id",
                  {{Step::Add, 7}, {Step::Add, 8}, {Step::Remove, 0x30008}},
                  {7}},
        OrderCase{
            "negative id keys on its low bits", {{Step::Add, -1}, {Step::Add, 0xFFFF}}, {0xFFFF}},
        OrderCase{"removing the unknown keeps all", {{Step::Add, 7}, {Step::Remove, 9}}, {7}}));

TEST(Roster, FindMatchesLowBitsAndEditsInPlace) {
  CRoster roster;
  CPlayerInfo player;
  player.ClientId = 0x10007;
  roster.Add(player);
  CPlayerInfo* found = roster.Find(7);
  ASSERT_NE(found, nullptr);
  EXPECT_EQ(found->ClientId, 0x10007);
  found->Kills = 9;
  EXPECT_EQ(roster.Find(0x70007)->Kills, 9);
  EXPECT_EQ(roster.Find(8), nullptr);
  EXPECT_FALSE(roster.Remove(8));
  EXPECT_TRUE(roster.Remove(7));
  EXPECT_EQ(roster.Find(7), nullptr);
}

TEST(Roster, ClearEmptiesEveryBucket) {
  CRoster roster;
  for (std::int32_t id : {1, 16, 300, 0xFFFF}) {
    CPlayerInfo player;
    player.ClientId = id;
    roster.Add(player);
  }
  roster.Clear();
  EXPECT_EQ(roster.Size(), 0u);
  int visited = 0;
  roster.ForEach([&](const CPlayerInfo&) { ++visited; });
  EXPECT_EQ(visited, 0);
}

}  // namespace
}  // namespace vex
