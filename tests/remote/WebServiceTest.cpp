// The web page's service on real sockets with a stand-in host, for the bounds a browser never
// reaches: oversized requests, too many connections, a client that never finishes its request.
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <QCoreApplication>
#include <chrono>
#include <future>
#include <string>
#include <vector>

#include "services/WebService.h"
#include "tests/remote/LoopbackStream.h"
#include "tests/remote/NetworkServiceTest.h"
#include "tests/support/WaitUntil.h"

namespace vex::services {
namespace {

using namespace std::chrono_literals;

class StillHost final : public IWebHost {
 public:
  void RunRemoteCommand(const std::string& line, const std::string&,
                        std::function<void(remote::CommandOutput)> done) override {
    commands.push_back(line);
    done({"ran " + line + "\n"});
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
    if (test::WaitUntil([&] { return !stream_.ReceiveSome(text); }, limit, 0ms)) {
      closed = true;
    }
    return text;
  }

  std::string text;
  bool closed = false;

 private:
  test::LoopbackStream stream_;
};

// A reader of the event stream that stops reading: its receive buffer is small and never emptied,
// so the server's bytes for it pile up unsent.
class StalledReader {
 public:
  StalledReader(int port, const std::string& cookie) : fd_(socket(AF_INET, SOCK_STREAM, 0)) {
    const int smallest = 1;
    setsockopt(fd_, SOL_SOCKET, SO_RCVBUF, &smallest, sizeof smallest);
    sockaddr_in to{};
    to.sin_family = AF_INET;
    to.sin_port = htons(static_cast<std::uint16_t>(port));
    to.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    connect(fd_, reinterpret_cast<const sockaddr*>(&to), sizeof to);
    const std::string request =
        "GET /events HTTP/1.1\r\nHost: localhost\r\nCookie: vexweb=" + cookie + "\r\n\r\n";
    send(fd_, request.data(), request.size(), MSG_NOSIGNAL);
  }
  ~StalledReader() { close(fd_); }
  StalledReader(const StalledReader&) = delete;
  StalledReader& operator=(const StalledReader&) = delete;

  // Whether the server has begun to answer, or has ended the connection; nothing is read.
  bool Answered() const { return Polled(POLLIN) != 0; }
  bool Ended() const { return (Polled(POLLRDHUP) & (POLLRDHUP | POLLHUP | POLLERR)) != 0; }

 private:
  short Polled(short events) const {
    pollfd watch{fd_, events, 0};
    return poll(&watch, 1, 20) > 0 ? watch.revents : 0;
  }

  int fd_;
};

std::string Login(int port, const std::string& password, const std::string& origin,
                  const std::string& extraHeaders = "") {
  const std::string body = "password=" + password;
  return "POST /login HTTP/1.1\r\nHost: localhost:" + std::to_string(port) +
         "\r\nOrigin: " + origin + "\r\n" + extraHeaders +
         "Content-Type: application/x-www-form-urlencoded\r\nContent-Length: " +
         std::to_string(body.size()) + "\r\n\r\n" + body;
}

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
      {"POST /login HTTP/1.1\r\nHost: localhost\r\nContent-Length: 100000000\r\n\r\n", "413"},
      {"POST /login HTTP/1.1\r\nHost: localhost\r\nTransfer-Encoding: chunked\r\n\r\n", "501"},
      {"GET / HTTP/1.0\r\n\r\n", "400"},
      {"GET / HTTP/1.1\r\n\r\n", "400"},
      // Line ends without their CR: refused at once rather than after the request time.
      {"GET / HTTP/1.1\nHost: localhost\n", "400"},
      {"POST /login HTTP/1.1\r\nHost: localhost\r\nContent-Length: 1\r\nContent-Length: 2\r\n"
       "\r\nab",
       "400"},
      {"POST /api/command HTTP/1.1\r\nHost: localhost\r\nContent-Length: 0\r\n\r\n", "401"},
      // A name that some DNS points here is not this page's name.
      {"GET / HTTP/1.1\r\nHost: attacker.example:8080\r\n\r\n", "421"},
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

// Slow strangers hold every slot of the operator's address; the operator's login still gets in,
// as the stranger that has waited longest gives up its slot, and half requests time out.
TEST_F(WebServiceTest, SlowRequestsNeitherKeepTheOperatorOutNorHoldSlotsForLong) {
  WebSettings settings;
  settings.MaxConnectionsPerAddress = 3;
  settings.RequestTimeoutMs = 1000;
  Start(settings);
  WithClients([&](int port) {
    std::vector<std::unique_ptr<Client>> held;
    for (int i = 0; i < 3; ++i) {
      held.push_back(std::make_unique<Client>(port));
      held.back()->Send("GET / HTTP/1.1\r\n");
    }
    Client operatorLogin(port);
    operatorLogin.Send(Login(port, "pw", "http://localhost:" + std::to_string(port)));
    const std::string answer = operatorLogin.ReadToClose();
    EXPECT_EQ(answer.substr(0, 12), "HTTP/1.1 303") << answer;
    EXPECT_NE(answer.find("Set-Cookie: vexweb="), std::string::npos);
    EXPECT_NE(answer.find("Referrer-Policy: same-origin\r\n"), std::string::npos);
    // The oldest stranger made room; the others' half requests end after the time.
    EXPECT_EQ(held[0]->ReadToClose(), "");
    EXPECT_TRUE(held[0]->closed);
    for (std::size_t i = 1; i < held.size(); ++i) {
      EXPECT_EQ(held[i]->ReadToClose().substr(0, 12), "HTTP/1.1 408");
      EXPECT_TRUE(held[i]->closed);
    }
  });
}

// Another site's form, a sandboxed document's (Origin null), a cross-site fetch: refused before
// the password is looked at, so none of them counts towards a ban of the operator's address.
TEST_F(WebServiceTest, PostsFromElsewhereAreRefusedAndNeverCountAsWrongPasswords) {
  Start({});
  WithClients([&](int port) {
    const std::string self = "http://localhost:" + std::to_string(port);
    const std::string foreign[] = {
        Login(port, "wrong", "null"),
        Login(port, "wrong", "http://attacker.example"),
        Login(port, "wrong", "http://localhost:1"),
        Login(port, "wrong", self, "Sec-Fetch-Site: cross-site\r\n"),
    };
    for (int round = 0; round < 3; ++round) {
      for (const std::string& request : foreign) {
        Client client(port);
        client.Send(request);
        EXPECT_EQ(client.ReadToClose().substr(0, 12), "HTTP/1.1 403") << request;
      }
    }
    Client operatorLogin(port);
    operatorLogin.Send(Login(port, "pw", self, "Sec-Fetch-Site: same-origin\r\n"));
    EXPECT_EQ(operatorLogin.ReadToClose().substr(0, 12), "HTTP/1.1 303");
  });
}

// Logging in past the sessions' limit pushes the least recently used one out; its event stream
// ends with it and gets nothing more.
TEST_F(WebServiceTest, AStreamEndsWithItsSession) {
  Start({});
  WithClients([&](int port) {
    const std::string self = "http://localhost:" + std::to_string(port);
    const auto login = [&] {
      Client client(port);
      client.Send(Login(port, "pw", self));
      const std::string answer = client.ReadToClose();
      const std::size_t at = answer.find("vexweb=");
      return at == std::string::npos ? std::string()
                                     : answer.substr(at + 7, answer.find(';', at) - at - 7);
    };
    const std::string first = login();
    ASSERT_FALSE(first.empty());
    Client stream(port);
    stream.Send("GET /events HTTP/1.1\r\nHost: localhost\r\nCookie: vexweb=" + first + "\r\n\r\n");
    stream.ReadToClose(300ms);
    ASSERT_NE(stream.text.find("event: state"), std::string::npos) << stream.text;
    for (int i = 0; i < 16; ++i) {
      ASSERT_FALSE(login().empty());
    }
    stream.ReadToClose(2s);
    EXPECT_TRUE(stream.closed);
  });
}

// A page stops reading while the console has more for it than the sockets hold, then logs out:
// what is left can never be sent, and the connection still ends instead of staying open.
TEST_F(WebServiceTest, AStreamWhoseReaderStoppedReadingEndsWithItsSession) {
  WebSettings settings;
  settings.RequestTimeoutMs = 1000;
  Start(settings);
  // More than the kernel's buffers on both sides take; the stream's opening brings all of it.
  for (int i = 0; i < 128; ++i) {
    service_->ConsoleLine(std::string(64 * 1024, 'x'), false);
  }
  WithClients([&](int port) {
    const auto answerTo = [&](const std::string& request) {
      Client client(port);
      client.Send(request);
      return client.ReadToClose();
    };
    const auto between = [](const std::string& text, const std::string& before, char after) {
      const std::size_t at = text.find(before);
      if (at == std::string::npos) {
        return std::string();
      }
      const std::size_t from = at + before.size();
      return text.substr(from, text.find(after, from) - from);
    };
    const std::string cookie = between(
        answerTo(Login(port, "pw", "http://localhost:" + std::to_string(port))), "vexweb=", ';');
    ASSERT_FALSE(cookie.empty());
    const std::string head = "Host: localhost\r\nCookie: vexweb=" + cookie + "\r\n";
    const std::string token = between(answerTo("GET / HTTP/1.1\r\n" + head + "\r\n"),
                                      "name=\"csrf-token\" content=\"", '"');
    ASSERT_FALSE(token.empty());
    StalledReader stream(port, cookie);
    ASSERT_TRUE(test::WaitUntil([&] { return stream.Answered(); }, 5s, 0ms));
    const std::string logout = "csrf=" + token;
    EXPECT_EQ(answerTo("POST /logout HTTP/1.1\r\n" + head +
                       "Content-Type: application/x-www-form-urlencoded\r\nContent-Length: " +
                       std::to_string(logout.size()) + "\r\n\r\n" + logout)
                  .substr(0, 12),
              "HTTP/1.1 303");
    EXPECT_TRUE(test::WaitUntil([&] { return stream.Ended(); }, 10s, 0ms));
  });
}

// The icon that the log-in page and the page name is there.
TEST_F(WebServiceTest, TheIconThePagesNameIsServed) {
  Start({});
  WithClients([&](int port) {
    Client login(port);
    login.Send("GET / HTTP/1.1\r\nHost: localhost\r\n\r\n");
    EXPECT_NE(login.ReadToClose().find("<link rel=\"icon\" href=\"/favicon.svg\""),
              std::string::npos)
        << login.text;
    Client icon(port);
    icon.Send("GET /favicon.svg HTTP/1.1\r\nHost: localhost\r\n\r\n");
    const std::string answer = icon.ReadToClose();
    EXPECT_EQ(answer.substr(0, 12), "HTTP/1.1 200") << answer;
    EXPECT_NE(answer.find("Content-Type: image/svg+xml\r\n"), std::string::npos) << answer;
    EXPECT_NE(answer.find("<svg "), std::string::npos) << answer;
  });
}

// A page left open only to watch stays logged in: its stream counts as use each time the host
// publishes the state (once a second), while a session without a page ends when unused.
TEST_F(WebServiceTest, AnOpenStreamKeepsItsSession) {
  WebSettings settings;
  settings.Sessions.IdleMs = 1000;
  Start(settings);
  auto done = std::async(std::launch::async, [&] {
    const int port = service_->Port();
    const std::string self = "http://localhost:" + std::to_string(port);
    const auto login = [&] {
      Client client(port);
      client.Send(Login(port, "pw", self));
      const std::string answer = client.ReadToClose();
      const std::size_t at = answer.find("vexweb=");
      return at == std::string::npos ? std::string() : answer.substr(at, answer.find(';', at) - at);
    };
    const auto sessionStatus = [&](const std::string& cookie) {
      Client client(port);
      client.Send("GET /session HTTP/1.1\r\nHost: localhost\r\nCookie: " + cookie + "\r\n\r\n");
      return client.ReadToClose().substr(0, 12);
    };
    const std::string watching = login();
    const std::string idle = login();
    ASSERT_FALSE(watching.empty());
    ASSERT_FALSE(idle.empty());
    Client stream(port);
    stream.Send("GET /events HTTP/1.1\r\nHost: localhost\r\nCookie: " + watching + "\r\n\r\n");
    // Three times the idle limit.
    stream.ReadToClose(3s);
    EXPECT_FALSE(stream.closed);
    EXPECT_EQ(sessionStatus(watching), "HTTP/1.1 200");
    EXPECT_EQ(sessionStatus(idle), "HTTP/1.1 401");
  });
  while (done.wait_for(0ms) != std::future_status::ready) {
    QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    service_->PublishState();
  }
  done.get();
}

}  // namespace
}  // namespace vex::services
