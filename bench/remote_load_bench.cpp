// Runs the real engine module's frames for 10 s while hostile clients attack the remote console
// and the server query served on the main thread's event loop (garbage, 2 GB lengths, a byte a
// second, 100 connections at once, wrong passwords, a query flood from 100 addresses) and a
// well-behaved client keeps asking; prints the frame rate and what each side got.
#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <stdlib.h>
#include <sys/socket.h>
#include <unistd.h>

#include <QCoreApplication>
#include <QTimer>
#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <mutex>
#include <numeric>
#include <string>
#include <thread>
#include <vector>

#include "BenchmarkGame.h"
#include "remote/RconPacket.h"
#include "services/QueryService.h"
#include "services/RconService.h"
#include "session/LevelControls.h"
#include "session/ServerSession.h"

namespace {

using Clock = std::chrono::steady_clock;
using namespace std::chrono_literals;

constexpr auto kRun = 10s;
constexpr const char* kPassword = "bench";

// The services' host, doing what the status window does: a command goes to the game under the
// session lock and is answered once a frame has run it; a query reads the game under the lock
// only when it is free.
class BenchRemoteHost final : public vex::services::IRemoteHost {
 public:
  explicit BenchRemoteHost(vex::CServerSession& session) : session_(session) {}

  void RunRemoteCommand(const std::string& line, const std::string&,
                        std::function<void(std::string)> done) override {
    vex::SendConsoleCommand(session_, line);
    const std::uint64_t posted = session_.FramesRun();
    auto* poll = new QTimer();
    QObject::connect(poll, &QTimer::timeout, poll, [this, poll, posted, done] {
      if (session_.FramesRun() > posted) {
        session_.PendingConsoleLines().TakeAll();
        done("ran\n");
        poll->deleteLater();
      }
    });
    poll->start(10);
  }
  vex::remote::A2sStatus QueryStatus() override {
    std::unique_lock lock(session_.Lock(), std::try_to_lock);
    vex::remote::A2sStatus status;
    status.Name = "Benchmark";
    status.Map = "Arena";
    status.MaxPlayers = 16;
    status.Players.assign(16, {"Player", 10, 60.0f});
    return status;
  }
  void ReportRemoteEvent(std::string_view) override { ++Events; }

  std::atomic<int> Events{0};

 private:
  vex::CServerSession& session_;
};

class FrameRecorder final : public vex::ServerAppHandler {
 public:
  FrameRecorder() { Starts.reserve(2000); }
  int OnPacket(std::uint32_t, std::uint32_t, std::uint32_t, std::uint16_t) override {
    Starts.push_back(Clock::now());
    return 0;
  }
  std::vector<Clock::time_point> Starts;
};

sockaddr_in Address(const std::string& host, int port) {
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_port = htons(static_cast<std::uint16_t>(port));
  inet_pton(AF_INET, host.c_str(), &address.sin_addr);
  return address;
}

int ConnectFrom(const std::string& localHost, int port) {
  const int fd = socket(AF_INET, SOCK_STREAM, 0);
  const sockaddr_in local = Address(localHost, 0);
  const sockaddr_in to = Address("127.0.0.1", port);
  bind(fd, reinterpret_cast<const sockaddr*>(&local), sizeof local);
  if (connect(fd, reinterpret_cast<const sockaddr*>(&to), sizeof to) != 0) {
    close(fd);
    return -1;
  }
  return fd;
}

void SendAll(int fd, const std::string& bytes) {
  send(fd, bytes.data(), bytes.size(), MSG_NOSIGNAL);
}

// Reads until `packets` packets came, the peer closed or the time is up.
int ReadPackets(int fd, int packets, std::chrono::milliseconds limit) {
  std::string buffer;
  int seen = 0;
  const auto deadline = Clock::now() + limit;
  while (seen < packets && Clock::now() < deadline) {
    pollfd watch{fd, POLLIN, 0};
    if (poll(&watch, 1, 20) <= 0) {
      continue;
    }
    char chunk[8192];
    const ssize_t got = recv(fd, chunk, sizeof chunk, 0);
    if (got <= 0) {
      break;
    }
    buffer.append(chunk, static_cast<std::size_t>(got));
    while (buffer.size() >= 4) {
      std::int32_t size = 0;
      std::memcpy(&size, buffer.data(), 4);
      if (buffer.size() < 4 + static_cast<std::size_t>(size)) {
        break;
      }
      buffer.erase(0, 4 + static_cast<std::size_t>(size));
      ++seen;
    }
  }
  return seen;
}

struct Tally {
  std::atomic<int> CommandsAnswered{0};
  std::atomic<int> CommandsFailed{0};
  std::atomic<int> HostileConnections{0};
  std::atomic<long> QueryBytesSent{0};
  std::atomic<long> QueryBytesReceived{0};
};

void WellBehavedClient(int port, const std::atomic<bool>& running, Tally& tally) {
  while (running) {
    const int fd = ConnectFrom("127.0.0.1", port);
    if (fd < 0) {
      ++tally.CommandsFailed;
      std::this_thread::sleep_for(100ms);
      continue;
    }
    SendAll(fd, vex::remote::EncodeRconPacket(1, vex::remote::kRconAuth, kPassword));
    bool signedIn = ReadPackets(fd, 1, 2s) == 1;
    for (int i = 0; signedIn && running && i < 20; ++i) {
      SendAll(fd, vex::remote::EncodeRconPacket(2 + i, vex::remote::kRconExecCommand, "status"));
      if (ReadPackets(fd, 1, 2s) == 1) {
        ++tally.CommandsAnswered;
      } else {
        ++tally.CommandsFailed;
        signedIn = false;
      }
    }
    close(fd);
  }
}

void Attackers(int port, const std::atomic<bool>& running, Tally& tally) {
  const std::string garbage = "GET / HTTP/1.1\r\nHost: x\r\n\r\n";
  std::string twoGigabytes(12, '\0');
  twoGigabytes[0] = '\xF0';
  twoGigabytes[1] = twoGigabytes[2] = '\xFF';
  twoGigabytes[3] = '\x7F';
  int slow = ConnectFrom("127.0.0.2", port);
  auto lastSlowByte = Clock::now();
  for (int round = 0; running; ++round) {
    std::vector<int> burst;
    for (int i = 0; i < 100; ++i) {
      burst.push_back(ConnectFrom("127.0.1." + std::to_string(1 + i % 50), port));
    }
    for (int fd : burst) {
      if (fd >= 0) {
        ++tally.HostileConnections;
        SendAll(fd, round % 3 == 0 ? garbage
                    : round % 3 == 1
                        ? twoGigabytes
                        : vex::remote::EncodeRconPacket(1, vex::remote::kRconAuth, "wrong"));
        close(fd);
      }
    }
    if (slow >= 0 && Clock::now() - lastSlowByte >= 1s) {
      SendAll(slow, "x");
      lastSlowByte = Clock::now();
    }
    std::this_thread::sleep_for(50ms);
  }
  if (slow >= 0) {
    close(slow);
  }
}

void QueryFlood(int port, const std::atomic<bool>& running, Tally& tally) {
  const std::string info =
      std::string("\xFF\xFF\xFF\xFFT", 5) + std::string("Source Engine Query\0", 20);
  std::vector<int> sockets;
  for (int host = 2; host < 102; ++host) {
    const int fd = socket(AF_INET, SOCK_DGRAM, 0);
    const sockaddr_in local = Address("127.0.2." + std::to_string(host), 0);
    bind(fd, reinterpret_cast<const sockaddr*>(&local), sizeof local);
    sockets.push_back(fd);
  }
  const sockaddr_in to = Address("127.0.0.1", port);
  char reply[2048];
  while (running) {
    for (int fd : sockets) {
      sendto(fd, info.data(), info.size(), MSG_DONTWAIT, reinterpret_cast<const sockaddr*>(&to),
             sizeof to);
      tally.QueryBytesSent += static_cast<long>(info.size());
      ssize_t got = 0;
      while ((got = recv(fd, reply, sizeof reply, MSG_DONTWAIT)) > 0) {
        tally.QueryBytesReceived += got;
      }
    }
    std::this_thread::sleep_for(1ms);
  }
  for (int fd : sockets) {
    close(fd);
  }
}

double Milliseconds(Clock::duration d) {
  return std::chrono::duration<double, std::milli>(d).count();
}

}  // namespace

int main(int argc, char** argv) {
  setenv("VEX_SIM_FRAME_TRACE", "1", 1);
  setenv("VEX_SIM_BOTS", "8", 1);
  QCoreApplication application(argc, argv);
  vex::bench::BenchmarkSessionHost sessionHost("remote_load_bench", 16);
  FrameRecorder frames;
  vex::CServerSession session(sessionHost, frames);
  sessionHost.Start(session);
  BenchRemoteHost host(session);
  vex::services::RconSettings rconSettings;
  rconSettings.Password = kPassword;
  rconSettings.BindAddress = "127.0.0.1";
  vex::services::RconService rcon(host, rconSettings);
  vex::services::QueryService query(host, vex::services::QuerySettings{});
  std::string error;
  if (!rcon.Start(error) || !query.Start(error)) {
    std::fprintf(stderr, "remote_load_bench: %s\n", error.c_str());
    return 1;
  }

  // The update thread appends to the recorder, so it is read after the stop, by time.
  const Clock::time_point begin = Clock::now();
  std::atomic<bool> running{true};
  Tally tally;
  std::vector<std::thread> load;
  load.emplace_back(WellBehavedClient, rcon.Port(), std::cref(running), std::ref(tally));
  load.emplace_back(Attackers, rcon.Port(), std::cref(running), std::ref(tally));
  load.emplace_back(QueryFlood, query.Port(), std::cref(running), std::ref(tally));
  QTimer::singleShot(std::chrono::duration_cast<std::chrono::milliseconds>(kRun), &application,
                     &QCoreApplication::quit);
  QCoreApplication::exec();
  const Clock::time_point end = Clock::now();
  running = false;
  for (std::thread& thread : load) {
    thread.join();
  }
  session.Stop();

  std::vector<Clock::time_point> starts = frames.Starts;
  std::erase_if(starts, [&](Clock::time_point start) { return start < begin || start > end; });
  if (starts.size() < 3) {
    std::fprintf(stderr, "remote_load_bench: the engine traced no frames\n");
    return 1;
  }
  std::vector<double> intervals;
  for (std::size_t i = 1; i < starts.size(); ++i) {
    intervals.push_back(Milliseconds(starts[i] - starts[i - 1]));
  }
  const double span = Milliseconds(starts.back() - starts.front());
  std::sort(intervals.begin(), intervals.end());
  const double mean = std::accumulate(intervals.begin(), intervals.end(), 0.0) / intervals.size();
  std::printf("frames per second under attack: %.2f (target 30.30) over %.0f ms\n",
              1000.0 * intervals.size() / span, span);
  std::printf("frame interval mean / 99th pct / longest: %.2f / %.2f / %.2f ms\n", mean,
              intervals[static_cast<std::size_t>(0.99 * (intervals.size() - 1))], intervals.back());
  std::printf("well-behaved commands answered / failed: %d / %d\n", tally.CommandsAnswered.load(),
              tally.CommandsFailed.load());
  std::printf("hostile connections made: %d; console reports: %d\n",
              tally.HostileConnections.load(), host.Events.load());
  std::printf("query flood bytes sent / received: %ld / %ld\n", tally.QueryBytesSent.load(),
              tally.QueryBytesReceived.load());
  return 0;
}
