#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "session/GameHost.h"

namespace vex {
namespace {

TEST(HostRecord, TakesPortPlayersAndTheWholeNameUpTo4095Bytes) {
  CGameOptions block{};
  block.PortID = 4464;
  block.MaxTotalPlayers = 16;

  const std::string name63(63, 'n');
  const HostRecord record = MakeHostRecord(block, name63);
  EXPECT_EQ(record.Port, 4464);
  EXPECT_EQ(record.MaxPlayers, 16);
  EXPECT_EQ(std::string(record.ServerName), name63);
  EXPECT_EQ(record.Reserved, 0);

  const HostRecord longName = MakeHostRecord(block, std::string(5000, 'x'));
  EXPECT_EQ(std::strlen(longName.ServerName), 4095u);
  EXPECT_EQ(longName.ServerName[4095], '\0');
}

}  // namespace
}  // namespace vex
