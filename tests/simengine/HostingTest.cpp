#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include "tests/simengine/SimEngineHarness.h"

namespace vex::test {
namespace {

// A UDP socket of the test's own; bound to the given port on all interfaces, or to any port.
class UdpSocket {
 public:
  explicit UdpSocket(int port = 0) : fd_(::socket(AF_INET, SOCK_DGRAM, 0)) {
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_ANY);
    address.sin_port = htons(static_cast<std::uint16_t>(port));
    bound_ = ::bind(fd_, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0;
  }
  ~UdpSocket() { ::close(fd_); }
  UdpSocket(const UdpSocket&) = delete;
  UdpSocket& operator=(const UdpSocket&) = delete;

  bool Bound() const { return bound_; }
  int Port() const {
    sockaddr_in address{};
    socklen_t length = sizeof address;
    ::getsockname(fd_, reinterpret_cast<sockaddr*>(&address), &length);
    return ntohs(address.sin_port);
  }
  void SendTo(int port, const std::string& text) const {
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    address.sin_port = htons(static_cast<std::uint16_t>(port));
    ::sendto(fd_, text.data(), text.size(), 0, reinterpret_cast<sockaddr*>(&address),
             sizeof address);
  }
  // Empty when nothing arrives in time.
  std::string Receive(int timeoutMs) const {
    pollfd waiting{fd_, POLLIN, 0};
    if (::poll(&waiting, 1, timeoutMs) != 1) {
      return {};
    }
    char buffer[1024];
    const ssize_t received = ::recv(fd_, buffer, sizeof buffer, 0);
    return received > 0 ? std::string(buffer, static_cast<std::size_t>(received)) : std::string();
  }

 private:
  int fd_;
  bool bound_ = false;
};

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

TEST(SimEngineHosting, BindsTheRecordPortAndAnswersStatusQueries) {
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
    UdpSocket client;
    client.SendTo(port, "hello");
    client.SendTo(port, "status");
    engine.RunFrames(1);
    EXPECT_EQ(client.Receive(2000),
              "name=Night Shift\tgame=Deathmatch\tlevel=0\tmap=Arena\tplayers=0/8\n");
    EXPECT_EQ(client.Receive(0), "") << "only the status query is answered";
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
