#include <gtest/gtest.h>

#include <string>

#include "config/ConfigSummary.h"
#include "config/FixedText.h"
#include "config/GameOptionsBuilder.h"

namespace vex {
namespace {

PreparedGame SurvivorGame() {
  PreparedGame game;
  game.ConfigPath = "VexMod\\ServerData\\surv.txt";
  game.Block = PresetGameOptions();
  game.Block.GameType = 4;
  WriteFixedText(game.Block.ServName, "%s %n Survivors");
  WriteFixedText(game.Block.JoinPass, "hunter22");
  game.Block.JoinPassSet = 1;
  game.Block.PortID = 28001;
  game.Block.MaxTotalPlayers = 12;
  game.Block.ScoreLimit = 1500;
  game.Block.RoundLimit = 3;
  game.Block.TimeLimitSeconds = 600.0f;
  game.GameTypeStringId = 2003;
  game.Levels = {"Worlds\\Multi\\B", "Worlds\\Multi\\A"};
  return game;
}

TEST(ConfigSummary, ShowsTheHostedSettingsButNoPassword) {
  const std::string summary = ConfigSummary(SurvivorGame(), [](int id) {
    return id == 2003 ? std::string("Survivor") : std::string("?");
  });
  for (const char* line :
       {"Configuration file: VexMod/ServerData/surv.txt\n", "Server name: %s %n Survivors\n",
        "Game type: Survivor\n", "Port: 28001\n", "Max players: 12\n", "Join password: set\n",
        "Cont password: not set\n", "Score limit: 1500\n", "Round limit: 3\n",
        "Time limit (minutes): 10\n"}) {
    EXPECT_NE(summary.find(line), std::string::npos) << line << "\nin\n" << summary;
  }
  EXPECT_EQ(summary.find("hunter22"), std::string::npos);
  EXPECT_EQ(summary.find("Frag limit"), std::string::npos);
  const std::size_t first = summary.find("Worlds\\Multi\\B");
  const std::size_t second = summary.find("Worlds\\Multi\\A");
  ASSERT_NE(first, std::string::npos);
  ASSERT_NE(second, std::string::npos);
  EXPECT_LT(first, second);
}

}  // namespace
}  // namespace vex
