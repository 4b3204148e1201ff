// The client protocol on the game port of the engine module, in-process with real UDP sockets.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <memory>
#include <ostream>

#include "tests/simengine/SimEngineHarness.h"
#include "tests/simengine/UdpPeer.h"

namespace vex::test {
namespace {

using namespace std::chrono_literals;

constexpr const char* kPassword = "letmein";

// An engine hosting on a free port, its game started.
class GamePort {
 public:
  explicit GamePort(int capacity, const char* timeoutMs = "10000", const char* bots = "0")
      : engine_({{"VEX_SIM_CLIENT_TIMEOUT_MS", timeoutMs}, {"VEX_SIM_BOTS", bots}}) {
    CGameOptions block = MakeOptions({});
    std::strncpy(block.JoinPass, kPassword, sizeof block.JoinPass - 1);
    block.JoinPassSet = 1;
    engine_->SetGameOptions(&block, sizeof block);
    HostRecord record{};
    record.MaxPlayers = capacity;
    std::strncpy(record.ServerName, "Port", sizeof record.ServerName - 1);
    ok_ = engine_->StartHosting(&record) != 0 && engine_.PostStart() == 0;
    const auto console = engine_.Handler().Console();
    port_ =
        console.empty() ? 0 : std::stoi(console.back().substr(console.back().find("port ") + 5));
    engine_.RunFrames(1);
  }

  bool Ok() const { return ok_; }
  TestEngine& Engine() { return engine_; }
  std::unique_ptr<PortClient> Client() { return std::make_unique<PortClient>(engine_, port_); }

  // The game lines of one console command.
  std::vector<std::string> Command(const std::string& line) {
    engine_.Handler().TakeMessages();
    engine_.PostCommand(line);
    engine_.RunFrames(1);
    return GameLines(engine_.Handler().TakeMessages());
  }

 private:
  TestEngine engine_;
  bool ok_ = false;
  int port_ = 0;
};

std::optional<gamenet::Accepted> Acceptance(const std::optional<gamenet::Message>& answer) {
  if (answer) {
    if (const auto* accepted = std::get_if<gamenet::Accepted>(&*answer)) {
      return *accepted;
    }
  }
  return std::nullopt;
}

std::optional<std::int32_t> AcceptedId(const std::optional<gamenet::Message>& answer) {
  const auto accepted = Acceptance(answer);
  return accepted ? std::optional(accepted->ClientId) : std::nullopt;
}

std::optional<gamenet::RefuseReason> Refusal(const std::optional<gamenet::Message>& answer) {
  if (answer) {
    if (const auto* refused = std::get_if<gamenet::Refused>(&*answer)) {
      return refused->Reason;
    }
  }
  return std::nullopt;
}

bool Contains(const std::vector<std::string>& lines, const std::string& line) {
  return std::find(lines.begin(), lines.end(), line) != lines.end();
}

struct RefusalCase {
  const char* Title;
  std::string Name;
  std::string Password;
  std::uint8_t Version;
  bool ServerFull;
  gamenet::RefuseReason Reason;
};

void PrintTo(const RefusalCase& c, std::ostream* out) {
  *out << c.Title;
}

class JoinRefusal : public ::testing::TestWithParam<RefusalCase> {};

TEST_P(JoinRefusal, SaysWhyAndAddsNoPlayer) {
  const RefusalCase& c = GetParam();
  GamePort port(1);
  ASSERT_TRUE(port.Ok());
  auto first = port.Client();
  if (c.ServerFull) {
    ASSERT_TRUE(AcceptedId(first->Join("First", kPassword)));
  }
  port.Engine().Handler().TakeMessages();
  auto client = port.Client();
  EXPECT_EQ(Refusal(client->Join(c.Name, c.Password, c.Version)), c.Reason);
  for (const std::string& message : port.Engine().Handler().TakeMessages()) {
    EXPECT_NE(message.front(), 0) << "no player added";
  }
}

INSTANTIATE_TEST_SUITE_P(
    GamePort, JoinRefusal,
    ::testing::Values(
        RefusalCase{"wrong password", "Ann", "guess", 1, false,
                    gamenet::RefuseReason::WrongPassword},
        RefusalCase{"no password", "Ann", "", 1, false, gamenet::RefuseReason::WrongPassword},
        RefusalCase{"name of control bytes only", "\x01\x02\n", kPassword, 1, false,
                    gamenet::RefuseReason::BadName},
        RefusalCase{"blank name", "   ", kPassword, 1, false, gamenet::RefuseReason::BadName},
        RefusalCase{"name of 65 bytes", std::string(65, 'a'), kPassword, 1, false,
                    gamenet::RefuseReason::BadName},
        RefusalCase{"another version", "Ann", kPassword, 2, false,
                    gamenet::RefuseReason::WrongVersion},
        RefusalCase{"server full", "Ann", kPassword, 1, true, gamenet::RefuseReason::ServerFull}),
    [](const auto& param) {
      std::string name = param.param.Title;
      std::replace(name.begin(), name.end(), ' ', '_');
      return name;
    });

TEST(GamePortNames, AreCleanedBeforeAnyGameMessageCarriesThem) {
  GamePort port(4);
  ASSERT_TRUE(port.Ok());
  auto client = port.Client();
  const std::string dirty = "\x01  Ev\nil\tGamer %s%n " + std::string(40, 'x');
  ASSERT_TRUE(AcceptedId(client->Join(dirty, kPassword)));
  const std::string clean = "EvilGamer %s%n xxxxxxxxxxxxxx";
  ASSERT_EQ(clean.size(), 29u);
  EXPECT_TRUE(
      Contains(GameLines(port.Engine().Handler().TakeMessages()), clean + " joined the game."));
  EXPECT_TRUE(
      Contains(port.Command("players"), "1  " + clean + "  kills 0  score 0  lives 3  ping 0 ms"));
}

TEST(GamePortTraffic, BadDatagramsAreDroppedAndCountedAndTheGameGoesOn) {
  GamePort port(4);
  ASSERT_TRUE(port.Ok());
  auto player = port.Client();
  const auto id = AcceptedId(player->Join("Ann", kPassword));
  ASSERT_TRUE(id);

  const std::string join = Bytes(gamenet::Join{1, "Bo", kPassword});
  const std::string sent[] = {"",
                              "VX",
                              "status",
                              "XX\x01\x01",
                              join.substr(0, join.size() - 3),
                              join + "!",
                              std::string(1300, 'V'),
                              Bytes(gamenet::Hello{}).replace(2, 1, "\x07"),
                              std::string("VX\x01\x63", 4),
                              Bytes(gamenet::Ping{1, 1}),
                              Bytes(gamenet::Pong{*id, 0, 1}),
                              Bytes(gamenet::Chat{*id + 1, 0, "hi"}),
                              Bytes(gamenet::Join{42, "Bo", kPassword}),
                              Bytes(gamenet::Query{42})};
  auto stranger = port.Client();
  for (const std::string& datagram : sent) {
    stranger->Send(datagram);
  }
  EXPECT_EQ(stranger->Next(300ms), "") << "nothing bad is answered";

  const auto status = port.Command("status");
  ASSERT_EQ(status.size(), 2u);
  EXPECT_EQ(status[1],
            "Dropped datagrams: 6 malformed, 1 over-long, 3 unknown, 4 spoofed, 0 over the rate "
            "limit.");
  auto late = port.Client();
  EXPECT_TRUE(AcceptedId(late->Join("Cy", kPassword))) << "the port still serves";
}

TEST(GamePortTraffic, EachAddressIsRateLimited) {
  GamePort port(4);
  ASSERT_TRUE(port.Ok());
  auto flooder = port.Client();
  for (int i = 0; i < 100; ++i) {
    flooder->Send("flood");
  }
  auto player = port.Client();
  EXPECT_TRUE(AcceptedId(player->Join("Ann", kPassword))) << "another address is not limited";
  const auto status = port.Command("status");
  ASSERT_EQ(status.size(), 2u);
  EXPECT_EQ(status[1],
            "Dropped datagrams: 80 malformed, 0 over-long, 0 unknown, 0 spoofed, 20 over the rate "
            "limit.");
}

TEST(GamePortTraffic, AJoinFloodFillsTheServerAndNoMore) {
  GamePort port(4);
  ASSERT_TRUE(port.Ok());
  std::vector<std::unique_ptr<PortClient>> clients;
  int accepted = 0;
  int full = 0;
  for (int i = 0; i < 10; ++i) {
    clients.push_back(port.Client());
    const auto answer = clients.back()->Join("P" + std::to_string(i), kPassword);
    accepted += AcceptedId(answer) ? 1 : 0;
    full += Refusal(answer) == gamenet::RefuseReason::ServerFull ? 1 : 0;
  }
  EXPECT_EQ(accepted, 4);
  EXPECT_EQ(full, 6);
  EXPECT_EQ(AcceptedId(clients[0]->Join("P0", kPassword)), 1)
      << "a repeated join gets its first answer again";
  const std::string status = port.Command("status").front();
  EXPECT_TRUE(status.ends_with(", 4/4 players.")) << status;
}

TEST(GamePortClients, TakeTheSeatsOfBotsAndNeverTheOtherWayRound) {
  GamePort port(3, "10000", "3");
  ASSERT_TRUE(port.Ok());
  // The rows of the answer to `players`; the frame may add lines of its own.
  const auto roster = [&] {
    std::vector<std::string> rows;
    for (const std::string& line : port.Command("players")) {
      if (line.find("  kills ") != std::string::npos) {
        rows.push_back(line);
      }
    }
    return rows;
  };
  const auto seated = [&](std::size_t count) {
    for (int frame = 0; frame < 200; ++frame) {
      if (roster().size() == count) {
        return true;
      }
    }
    return false;
  };
  ASSERT_TRUE(seated(3)) << "three bots fill the server";
  auto ann = port.Client();
  ASSERT_TRUE(AcceptedId(ann->Join("Ann", kPassword)));
  const auto players = roster();
  ASSERT_EQ(players.size(), 3u) << "a bot gave its seat at once";
  EXPECT_TRUE(players.back().starts_with("4  Ann  kills 0")) << players.back();
  EXPECT_FALSE(seated(4)) << "the bot does not come back";
  EXPECT_EQ(port.Command("bots 3").front(), "Bots: 3.") << "bots N counts bots only";
  const std::string status = port.Command("status").front();
  EXPECT_TRUE(status.ends_with(", 3/3 players.")) << status;
}

TEST(GamePortClients, ArePingedToldOfLevelsAndKicksAndDroppedWhenSilent) {
  GamePort port(4, "2000");
  ASSERT_TRUE(port.Ok());
  auto ann = port.Client();
  const auto accepted = Acceptance(ann->Join("Ann", kPassword));
  ASSERT_TRUE(accepted);
  const std::int32_t annId = accepted->ClientId;
  const auto level = ann->Await<gamenet::Level>();
  ASSERT_TRUE(level);
  EXPECT_EQ(level->Index, 0);
  EXPECT_EQ(level->Name, "Arena");

  std::uint32_t measuredMicros = 0;
  for (int i = 0; i < 3; ++i) {
    const auto ping = ann->Await<gamenet::Ping>(3s);
    ASSERT_TRUE(ping);
    measuredMicros = ping->RoundTripMicros;
    ann->Send(gamenet::Pong{annId, accepted->Key, ping->Sequence});
  }
  EXPECT_GT(measuredMicros, 0u) << "each ping reports the round trip of the one before";
  float seconds = -1;
  EXPECT_EQ(port.Engine()->ReadClientPing(annId, &seconds), 1);
  EXPECT_GE(seconds, 0.0f);

  ann->Send(gamenet::Chat{annId, accepted->Key, "gg\nwp"});
  port.Engine().RunFrames(1);
  EXPECT_TRUE(Contains(GameLines(port.Engine().Handler().TakeMessages()), "Ann: ggwp"));

  ASSERT_EQ(port.Engine().PostNext(), 0);
  const auto next = ann->Await<gamenet::Level>();
  ASSERT_TRUE(next);
  EXPECT_EQ(next->Index, 1);

  ASSERT_EQ(port.Engine()->KickClient(annId), 1);
  const auto kicked = ann->Await<gamenet::Disconnect>();
  ASSERT_TRUE(kicked);
  EXPECT_EQ(kicked->Reason, gamenet::DisconnectReason::Kicked);

  auto bo = port.Client();
  ASSERT_TRUE(AcceptedId(bo->Join("Bo", kPassword)));
  const auto dropped = bo->Await<gamenet::Disconnect>(10s);
  ASSERT_TRUE(dropped);
  EXPECT_EQ(dropped->Reason, gamenet::DisconnectReason::TimedOut);
  EXPECT_TRUE(Contains(GameLines(port.Engine().Handler().TakeMessages()), "Bo timed out."));
}

}  // namespace
}  // namespace vex::test
