// The web page behind nginx as a reverse proxy with the settings the README gives: nginx speaks
// HTTP/1.0 to its backend, passes the browser's host on, and lets the event stream through
// unbuffered.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <chrono>
#include <fstream>
#include <string>

#include "tests/remote/LoopbackStream.h"
#include "tests/support/ChildProcess.h"
#include "tests/support/ProgramFixtures.h"
#include "tests/support/ScratchFolder.h"
#include "tests/support/UnusedPort.h"
#include "tests/support/WaitUntil.h"

namespace vex::test {
namespace {

using namespace std::chrono_literals;

std::string StatusLine(const std::string& answer) {
  return answer.substr(0, answer.find("\r\n"));
}

TEST(WebPageBehindNginx, LogsInShowsThePageAndStreamsItsEvents) {
  GameFolder game;
  ScratchFolder folder;
  const auto passwordFile = folder.Path() / "rcon-password";
  std::ofstream(passwordFile) << "proxied\n";
  chmod(passwordFile.c_str(), 0600);
  const int webPort = UnusedPort();
  const int proxyPort = UnusedPort();
  ChildProcess server(
      kProgram,
      {"-console", "-config", "deathmatch", "-port", "0", "-queryport", "0", "-rconpassword-file",
       passwordFile.string(), "-webport", std::to_string(webPort)},
      game.Path(), {"VEX_SIM_BOTS=2"});
  ASSERT_TRUE(server.WaitForOutput("Web page: http://127.0.0.1:", 20s)) << server.Output();

  const auto prefix = folder.Path() / "nginx";
  std::filesystem::create_directories(prefix / "logs");
  const auto config = prefix / "nginx.conf";
  std::ofstream(config) << "master_process off;\n"
                           "daemon off;\n"
                           "error_log stderr;\n"
                           "pid "
                        << (prefix / "nginx.pid").string()
                        << ";\n"
                           "events {}\n"
                           "http {\n"
                           "  access_log off;\n"
                           "  client_body_temp_path "
                        << (prefix / "body").string() << ";\n  proxy_temp_path "
                        << (prefix / "proxy").string()
                        << ";\n"
                           "  server {\n"
                           "    listen 127.0.0.1:"
                        << proxyPort
                        << ";\n"
                           "    location / {\n"
                           "      proxy_pass http://127.0.0.1:"
                        << webPort
                        << ";\n"
                           "      proxy_set_header Host $http_host;\n"
                           "      proxy_buffering off;\n"
                           "    }\n"
                           "  }\n"
                           "}\n";
  ChildProcess nginx("/usr/sbin/nginx", {"-p", prefix.string(), "-c", config.string()}, ".");
  const std::string host = "127.0.0.1:" + std::to_string(proxyPort);
  std::string login;
  ASSERT_TRUE(WaitUntil(
      [&] {
        LoopbackStream stream(proxyPort);
        stream.Send("POST /login HTTP/1.1\r\nHost: " + host + "\r\nOrigin: http://" + host +
                    "\r\nContent-Type: application/x-www-form-urlencoded\r\n"
                    "Content-Length: 16\r\nConnection: close\r\n\r\npassword=proxied");
        login = stream.ReceiveUntilClosed();
        return !login.empty();
      },
      10s, 100ms))
      << nginx.Errors();
  ASSERT_EQ(StatusLine(login), "HTTP/1.1 303 See Other") << login << nginx.Errors();
  const std::size_t at = login.find("vexweb=");
  ASSERT_NE(at, std::string::npos) << login;
  const std::string cookie = login.substr(at, login.find(';', at) - at);

  LoopbackStream page(proxyPort);
  page.Send("GET / HTTP/1.1\r\nHost: " + host + "\r\nCookie: " + cookie +
            "\r\nConnection: close\r\n\r\n");
  const std::string app = page.ReceiveUntilClosed();
  EXPECT_EQ(StatusLine(app), "HTTP/1.1 200 OK") << app;
  EXPECT_NE(app.find("<meta name=\"csrf-token\""), std::string::npos) << app;

  LoopbackStream events(proxyPort);
  events.Send("GET /events HTTP/1.1\r\nHost: " + host + "\r\nCookie: " + cookie + "\r\n\r\n");
  std::string streamed;
  EXPECT_TRUE(WaitUntil(
      [&] {
        events.ReceiveSome(streamed);
        return streamed.find("event: state") != std::string::npos;
      },
      10s, 0ms))
      << streamed;
}

}  // namespace
}  // namespace vex::test
