#include <gtest/gtest.h>

#include "tests/simengine/SimEngineHarness.h"
#include "tests/simengine/UdpPeer.h"

namespace vex::test {
namespace {

int FreePort() {
  return UdpSocket().Port();
}

HostRecord MakeRecord(int port, const char* name, int maxPlayers) {
  HostRecord record{};
  record.Port = port;
  record.MaxPlayers = maxPlayers;
  std::strncpy(record.ServerName, name, sizeof record.ServerName - 1);
  return record;
}

TEST(SimEngineOptions, OnlyABlockOfExactSizeIsKept) {
  TestEngine engine;
  ASSERT_TRUE(engine.Created());
  const CGameOptions kept = MakeOptions({.Maps = {"Worlds\\Multi\\Kept"}});
  ASSERT_NE(engine->SetGameOptions(&kept, kGameOptionsSize), 0);

  std::vector<std::uint8_t> other(kGameOptionsSize + 1, 0);
  const CGameOptions refused = MakeOptions({.Maps = {"Worlds\\Multi\\Refused"}});
  std::memcpy(other.data(), &refused, sizeof refused);
  for (std::uint32_t size : {0u, 1755u, 1757u}) {
    EXPECT_EQ(engine->SetGameOptions(other.data(), size), 0) << size;
    EXPECT_NE(engine.LastError().find("1756"), std::string::npos) << size;
  }
  EXPECT_EQ(engine->SetGameOptions(nullptr, kGameOptionsSize), 0);

  ASSERT_EQ(engine.PostStart(), 0);
  engine.RunFrames(1);
  const auto lines = GameLines(engine.Handler().TakeMessages());
  ASSERT_FALSE(lines.empty());
  EXPECT_EQ(lines.front(), "Now playing Kept (level 1 of 1).");
}

TEST(SimEngineHosting, BindsTheRecordPortAndAnswersQueriesFromProvenAddresses) {
  const int port = FreePort();
  {
    TestEngine engine;
    ASSERT_TRUE(engine.Created());
    const CGameOptions block = MakeOptions({});
    engine->SetGameOptions(&block, sizeof block);
    const HostRecord record = MakeRecord(port, "Night Shift", 8);
    ASSERT_NE(engine->StartHosting(&record), 0) << engine.LastError();
    const auto console = engine.Handler().Console();
    ASSERT_FALSE(console.empty());
    EXPECT_EQ(console.back(), "Hosting \"Night Shift\" on UDP port " + std::to_string(port) +
                                  " for up to 8 players.");
    EXPECT_FALSE(UdpSocket(port).Bound()) << "the port is held by the engine";
    EXPECT_EQ(engine->StartHosting(&record), 0) << "one hosted game per engine";

    ASSERT_EQ(engine.PostStart(), 0);
    PortClient client(engine, port);
    client.Send("status");
    client.Send(gamenet::Query{12345});
    EXPECT_EQ(client.Next(std::chrono::milliseconds(300)), "")
        << "an address that has not proven itself gets no answer larger than what it sent";

    client.Send(gamenet::Hello{99});
    const std::string challenge = client.Next();
    EXPECT_EQ(challenge.size(), Bytes(gamenet::Hello{99}).size());
    const auto decoded = gamenet::Decode(
        std::span(reinterpret_cast<const std::uint8_t*>(challenge.data()), challenge.size()));
    ASSERT_TRUE(std::holds_alternative<gamenet::Message>(decoded));
    const auto* proof = std::get_if<gamenet::Challenge>(&std::get<gamenet::Message>(decoded));
    ASSERT_NE(proof, nullptr);
    EXPECT_EQ(proof->Token, 99u);

    client.Send(gamenet::Query{proof->Cookie});
    const auto info = client.Await<gamenet::Info>();
    ASSERT_TRUE(info);
    EXPECT_EQ(info->Text, "name=Night Shift\tgame=Deathmatch\tlevel=0\tmap=Arena\tplayers=0/8\n");
  }
  EXPECT_TRUE(UdpSocket(port).Bound()) << "releasing the engine closes its socket";
}

TEST(SimEngineHosting, RefusesATakenOrImpossiblePort) {
  UdpSocket holder;
  ASSERT_TRUE(holder.Bound());
  TestEngine engine;
  ASSERT_TRUE(engine.Created());
  const HostRecord taken = MakeRecord(holder.Port(), "Second", 8);
  EXPECT_EQ(engine->StartHosting(&taken), 0);
  const std::string reason = engine.LastError();
  EXPECT_NE(reason.find(std::to_string(holder.Port())), std::string::npos) << reason;
  EXPECT_NE(reason.find("in use"), std::string::npos) << reason;

  for (int port : {-1, 65536, 70000}) {
    const HostRecord record = MakeRecord(port, "Odd", 8);
    EXPECT_EQ(engine->StartHosting(&record), 0) << port;
  }
  EXPECT_EQ(engine->StartHosting(nullptr), 0);
  EXPECT_TRUE(engine.Handler().Console().empty()) << "nothing hosted, nothing announced";
}

}  // namespace
}  // namespace vex::test
