// The web page's service on real sockets with a stand-in host, for the bounds a browser never
// reaches: oversized requests, too many connections, a client that never finishes its request.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <chrono>
#include <future>
#include <string>
#include <vector>

#include "framework/web/WebService.h"
#include "tests/remote/LoopbackStream.h"
#include "tests/remote/NetworkServiceTest.h"

namespace vex::fw::web {
namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

class StillHost final : public IWebHost {
 public:
  void RunRemoteCommand(const std::string& line, const std::string&,
                        std::function<void(std::string)> done) override {
    commands.push_back(line);
    done("ran " + line + "\n");
  }
  remote::A2sStatus QueryStatus() override { return {}; }
  void ReportRemoteEvent(std::string_view) override {}
  std::string WebStateJson() override { return "{}"; }

  std::vector<std::string> commands;
};

// A blocking client on the client thread while the test's thread runs the event loop.
class Client {
 public:
  explicit Client(int port) : stream_(port) {}

  void Send(const std::string& bytes) { stream_.Send(bytes); }

  // Everything until the server closes, or what came within the time.
  std::string ReadToClose(std::chrono::milliseconds limit = 5s) {
    const auto deadline = Clock::now() + limit;
    while (Clock::now() < deadline) {
      if (!stream_.ReceiveSome(text)) {
        closed = true;
        break;
      }
    }
    return text;
  }

  std::string text;
  bool closed = false;

 private:
  test::LoopbackStream stream_;
};

class WebServiceTest : public test::NetworkServiceTest {
 protected:
  void Start(WebSettings settings) {
    settings.Password = "pw";
    service_ = std::make_unique<WebService>(host_, settings);
    std::string error;
    ASSERT_TRUE(service_->Start(error)) << error;
  }

  template <class Work>
  void WithClients(Work work) {
    auto done = std::async(std::launch::async, [&] { work(service_->Port()); });
    while (done.wait_for(0ms) != std::future_status::ready) {
      QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    }
    done.get();
  }

  StillHost host_;
  std::unique_ptr<WebService> service_;
};

TEST_F(WebServiceTest, OversizedOrMalformedRequestsAreAnsweredWithTheirStatusAndClosed) {
  Start({});
  const struct {
    std::string Request;
    const char* Status;
  } cases[] = {
      {"GET / HTTP/1.1\r\nX-Long: " + std::string(9000, 'a') + "\r\n\r\n", "431"},
      {"GET /" + std::string(3000, 'a') + " HTTP/1.1\r\n", "414"},
      {"POST /login HTTP/1.1\r\nContent-Length: 100000000\r\n\r\n", "413"},
      {"POST /login HTTP/1.1\r\nTransfer-Encoding: chunked\r\n\r\n", "501"},
      {"GET / HTTP/1.0\r\n\r\n", "400"},
      {"POST /api/command HTTP/1.1\r\nContent-Length: 0\r\n\r\n", "401"},
  };
  for (const auto& c : cases) {
    WithClients([&](int port) {
      Client client(port);
      client.Send(c.Request);
      const std::string answer = client.ReadToClose();
      EXPECT_EQ(answer.substr(0, 12), std::string("HTTP/1.1 ") + c.Status)
          << c.Request.substr(0, 60) << "\n"
          << answer.substr(0, 200);
      EXPECT_TRUE(client.closed) << c.Request.substr(0, 60);
    });
  }
  EXPECT_TRUE(host_.commands.empty());
}

TEST_F(WebServiceTest, ConnectionsPastTheBoundsAreRefusedAndSlowRequestsTimedOut) {
  WebSettings settings;
  settings.MaxConnectionsPerAddress = 3;
  settings.RequestTimeoutMs = 300;
  Start(settings);
  WithClients([&](int port) {
    std::vector<std::unique_ptr<Client>> held;
    for (int i = 0; i < 3; ++i) {
      held.push_back(std::make_unique<Client>(port));
      held.back()->Send("GET / HTTP/1.1\r\n");
    }
    Client refused(port);
    EXPECT_EQ(refused.ReadToClose().substr(0, 12), "HTTP/1.1 503");
    EXPECT_TRUE(refused.closed);
    // Half a request never finished: each slot is given back after the time.
    for (auto& client : held) {
      EXPECT_EQ(client->ReadToClose().substr(0, 12), "HTTP/1.1 408");
      EXPECT_TRUE(client->closed);
    }
    Client later(port);
    later.Send("GET /app.css HTTP/1.1\r\nHost: x\r\n\r\n");
    EXPECT_EQ(later.ReadToClose().substr(0, 12), "HTTP/1.1 200");
  });
}

}  // namespace
}  // namespace vex::fw::web
