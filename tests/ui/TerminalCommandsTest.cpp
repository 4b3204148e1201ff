#include <gtest/gtest.h>

#include <string>

#include "ServerWindow.h"
#include "ui/StatusRefresh.h"

namespace vex {
namespace {

using test::MessageBoxRecorder;
using test::PumpUntil;
using test::ScopedEnvironment;
using test::ServerWindow;

// What the window writes to the terminal while one line is handled.
std::string Typed(ServerWindow& server, const std::string& line) {
  ::testing::internal::CaptureStdout();
  server.Window().DispatchTerminalLine(line);
  return ::testing::internal::GetCapturedStdout();
}

TEST(TerminalLines, PlainTextGoesThroughTheCommandFieldAndSend) {
  ServerWindow server;
  ASSERT_TRUE(server.Start());
  Typed(server, "say hello");
  EXPECT_TRUE(server.ConsoleHas("<< Server >>  say hello\r\n"));
  EXPECT_EQ(server.Item(res::IDC_COMMAND).GetWindowText(), "");
  EXPECT_TRUE(server.PumpUntilConsoleHas("Server: hello\r\n"));
}

TEST(TerminalLines, TablesShowTheControlsAligned) {
  ServerWindow server;
  ASSERT_TRUE(server.Start());
  ASSERT_TRUE(PumpUntil(
      [&] { return server.List(res::IDC_LEVEL_LIST).GetStateImage(0) == kCurrentLevelImage; }));

  EXPECT_EQ(Typed(server, "/levels"),
            "N     World\n"
            "1  *  Arena\n"
            "2\n"
            "3     Foundry\n");
  EXPECT_EQ(Typed(server, "/players"),
            "ID  Name  Ping  Kills  Score  Lives  Time\n"
            "No players.\n");
  const std::string status = Typed(server, "/status");
  EXPECT_NE(status.find("Server Name:      Test Server\n"), std::string::npos) << status;
  EXPECT_NE(status.find("Game Type:        Deathmatch\n"), std::string::npos) << status;
  EXPECT_NE(status.find("Current Players:  0/12\n"), std::string::npos) << status;
}

TEST(TerminalLines, SlashCommandsStandForTheButtons) {
  ScopedEnvironment bots("VEX_SIM_BOTS", "2");
  ServerWindow server;
  ASSERT_TRUE(server.Start());
  auto& players = server.List(res::IDC_PLAYER_LIST);
  auto& levels = server.List(res::IDC_LEVEL_LIST);
  ASSERT_TRUE(PumpUntil([&] { return players.GetItemCount() == 2; }, 10000));

  const auto id = players.GetItemData(1);
  Typed(server, "/boot " + std::to_string(id));
  EXPECT_TRUE(PumpUntil([&] { return players.GetItemCount() == 1; }));
  EXPECT_NE(players.GetItemData(0), id);

  Typed(server, "/level 3");
  EXPECT_TRUE(PumpUntil([&] { return levels.GetStateImage(2) == kCurrentLevelImage; }));
  Typed(server, "/next");
  EXPECT_TRUE(PumpUntil([&] { return levels.GetStateImage(0) == kCurrentLevelImage; }));

  MessageBoxRecorder boxes(fw::IDYES);
  Typed(server, "/stop");
  EXPECT_EQ(server.Window().Session().Engine(), nullptr);
  EXPECT_FALSE(server.Window().IsWindowVisible());
}

TEST(TerminalLines, BadArgumentsAndUnknownCommandsOnlyExplain) {
  ServerWindow server;
  ASSERT_TRUE(server.Start());
  for (const char* line :
       {"/boot", "/boot x", "/boot 999", "/level 4", "/level 0", "/frobnicate"}) {
    const std::string before = server.ConsoleText();
    EXPECT_FALSE(Typed(server, line).empty()) << line;
    EXPECT_EQ(server.ConsoleText(), before) << line;
    EXPECT_TRUE(server.Window().Session().HasThread()) << line;
  }
  EXPECT_NE(Typed(server, "/help").find("/boot ID"), std::string::npos);
}

// The bundled engine takes 64 messages a frame. Remote commands beyond that within one frame are
// refused, and each sender is told so with the engine's reason; none is answered as if it ran.
TEST(TerminalLines, WhatTheEngineRefusesIsToldWithItsReason) {
  ServerWindow server;
  ASSERT_TRUE(server.Start());
  constexpr int kCommands = 1000;
  const std::string refusal =
      "The engine refused the command: Too many shell messages waiting for the next frame.\n";
  int answered = 0;
  int refused = 0;
  for (int i = 0; i < kCommands; ++i) {
    server.Window().RunLine("say " + std::to_string(i), {CommandSource::Remote, "RCON test"},
                            [&](remote::CommandOutput output) {
                              ++answered;
                              refused += output.Text == refusal ? 1 : 0;
                              EXPECT_EQ(output.OnConsole, output.Text != refusal) << output.Text;
                            });
  }
  EXPECT_TRUE(PumpUntil([&] { return answered == kCommands; }, 20000)) << answered;
  EXPECT_GT(refused, 0);
  EXPECT_LT(refused, kCommands);
}

}  // namespace
}  // namespace vex
