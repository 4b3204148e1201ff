#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "config/FixedText.h"
#include "config/GamePreparation.h"
#include "res/Resource.h"
#include "tests/support/ScratchFolder.h"

namespace vex {
namespace {

std::vector<std::string> g_messages;
void CollectMessage(const char* message) {
  g_messages.emplace_back(message);
}

const char kArenaConfig[] =
    "[Settings]\n"
    "ServName = \"Arena Server\"\n"
    "GameType = 3\n"
    "JoinPass = \"letmein\"\n"
    "Dedicated = 0\n"
    "[Preferences]\n"
    "PortID = 27000\n"
    "[Hunt]\n"
    "MaxTotalPlayers = 12\n"
    "Map00 = \"Worlds\\Multi\\Arena\"\n"
    "Map01 = \"\"\n"
    "Map02 = \"Worlds\\Multi\\Canyon\"\n";

// Runs each test inside a fresh game folder, as the server runs inside the game's folder.
class GamePreparationTest : public ::testing::Test {
 protected:
  void SetUp() override {
    previous_ = std::filesystem::current_path();
    std::filesystem::current_path(dir_.Path());
    g_messages.clear();
  }
  void TearDown() override { std::filesystem::current_path(previous_); }

  GamePreparation Prepare(std::vector<std::string> arguments, ChooseConfigName choose = nullptr,
                          CAttributeFile::ErrorCallback callback = nullptr) {
    arguments.insert(arguments.begin(), "vexserver");
    return PrepareGame(arguments, choose, callback);
  }

  test::ScratchFolder dir_;
  std::filesystem::path previous_;
};

TEST_F(GamePreparationTest, PreparesABareNameFromTheDataFolder) {
  dir_.Write("vexmod/serverdata/Arena.TXT", kArenaConfig);
  bool asked = false;
  const GamePreparation result = Prepare({"-config", "arena", "-port", "28000"}, [&asked] {
    asked = true;
    return std::optional<std::string>("other");
  });
  ASSERT_EQ(result.ErrorId, 0) << result.ErrorText;
  EXPECT_FALSE(asked);
  EXPECT_EQ(result.Game.ConfigPath, "VexMod\\ServerData\\arena.txt");
  EXPECT_EQ(result.Game.Block.GameType, 3);
  EXPECT_EQ(result.Game.Block.Dedicated, 1);
  EXPECT_EQ(result.Game.Block.PortID, 28000);
  EXPECT_EQ(result.Game.Block.MaxTotalPlayers, 12);
  EXPECT_EQ(result.Game.Block.JoinPassSet, 1);
  EXPECT_STREQ(result.Game.Block.ServName, "Arena Server");
  EXPECT_EQ(result.Game.GameTypeStringId, 2002);
  EXPECT_EQ(result.Game.Levels,
            (std::vector<std::string>{"Worlds\\Multi\\Arena", "Worlds\\Multi\\Canyon"}));
}

TEST_F(GamePreparationTest, CommandLineNameOverridesTheFile) {
  dir_.Write("VexMod/ServerData/arena.txt", kArenaConfig);
  const GamePreparation result = Prepare({"-name", "Override", "-config", "arena"});
  ASSERT_EQ(result.ErrorId, 0) << result.ErrorText;
  EXPECT_STREQ(result.Game.Block.ServName, "Override");
  EXPECT_EQ(result.Game.Block.PortID, 27000);
}

TEST_F(GamePreparationTest, AsksForANameOnlyWithoutOne) {
  dir_.Write("VexMod/ServerData/chosen.txt", kArenaConfig);
  int asked = 0;
  const ChooseConfigName choose = [&asked] {
    ++asked;
    return std::optional<std::string>("chosen");
  };
  EXPECT_EQ(Prepare({}, choose).ErrorId, 0);
  EXPECT_EQ(Prepare({"-config", ""}, choose).ErrorId, 0);
  EXPECT_EQ(asked, 2);
}

TEST_F(GamePreparationTest, NoNameIsError10) {
  EXPECT_EQ(Prepare({}, [] { return std::optional<std::string>(); }).ErrorId, res::IDS_NO_CONFIG);
  EXPECT_EQ(Prepare({}, [] { return std::optional<std::string>(""); }).ErrorId, res::IDS_NO_CONFIG);
  EXPECT_EQ(Prepare({"-config"}, nullptr).ErrorId, res::IDS_NO_CONFIG);
}

TEST_F(GamePreparationTest, UnreadableFilesAreError11) {
  dir_.Write("VexMod/ServerData/bad.txt", "[Settings]\nServName = \"ok\"\n\nGameType = 3 ;\n");

  const GamePreparation missing = Prepare({"-config", "absent"});
  EXPECT_EQ(missing.ErrorId, res::IDS_CONFIG_UNREADABLE);
  EXPECT_EQ(missing.Game.ConfigPath, "VexMod\\ServerData\\absent.txt");
  EXPECT_EQ(missing.ErrorText,
            std::string("VexMod/ServerData/absent.txt: ") + std::strerror(ENOENT));

  // Opening a FIFO without a writer for reading would wait for one for good.
  ASSERT_EQ(::mkfifo("VexMod/ServerData/fifo.txt", 0600), 0);
  const GamePreparation fifo = Prepare({"-config", "fifo"});
  EXPECT_EQ(fifo.ErrorId, res::IDS_CONFIG_UNREADABLE);
  EXPECT_EQ(fifo.ErrorText, "VexMod/ServerData/fifo.txt: not a regular file (a FIFO)");

  dir_.Write("VexMod/ServerData/headless.txt", "Key = 5\n");
  const GamePreparation headless = Prepare({"-config", "headless"});
  EXPECT_EQ(headless.ErrorId, res::IDS_CONFIG_UNREADABLE);
  EXPECT_NE(headless.ErrorText.find("headless.txt"), std::string::npos) << headless.ErrorText;

  const GamePreparation bad = Prepare({"-config", "bad"}, nullptr, CollectMessage);
  EXPECT_EQ(bad.ErrorId, res::IDS_CONFIG_UNREADABLE);
  EXPECT_NE(bad.ErrorText.find("bad.txt"), std::string::npos) << bad.ErrorText;
  EXPECT_NE(bad.ErrorText.find("line 4"), std::string::npos) << bad.ErrorText;
  EXPECT_EQ(g_messages, std::vector<std::string>{bad.ErrorText});

  const GamePreparation tooLong = Prepare({"-config", std::string(250, 'a').c_str()});
  EXPECT_EQ(tooLong.ErrorId, res::IDS_CONFIG_UNREADABLE);
  EXPECT_FALSE(tooLong.ErrorText.empty());
}

TEST_F(GamePreparationTest, UnknownGameTypeIsError13BeforeMissingLevels) {
  for (const char* type : {"0", "7"}) {
    dir_.Write("VexMod/ServerData/t.txt", std::string("[Settings]\nGameType = ") + type + "\n");
    EXPECT_EQ(Prepare({"-config", "t"}).ErrorId, res::IDS_UNKNOWN_GAME_TYPE) << type;
  }
}

TEST_F(GamePreparationTest, NoLevelForTheSelectedTypeIsError12) {
  dir_.Write("VexMod/ServerData/none.txt",
             "[Settings]\nGameType = 2\n[Deathmatch]\nMap00 = \"Worlds\\Multi\\A\"\n"
             "[TeamDeathmatch]\nMap00 = \"\"\nMap01 = 5\n");
  EXPECT_EQ(Prepare({"-config", "none"}).ErrorId, res::IDS_NO_MAPS);
}

TEST_F(GamePreparationTest, TypeMismatchesReachTheCallbackWithFileAndLine) {
  dir_.Write("VexMod/ServerData/mis.txt",
             "[Preferences]\nDamScale = 1.5\n[Deathmatch]\nMap00 = \"a\"\n");
  const GamePreparation result = Prepare({"-config", "mis"}, nullptr, CollectMessage);
  EXPECT_EQ(result.ErrorId, 0);
  EXPECT_EQ(result.Game.Block.DamScale, 1.0f);
  ASSERT_EQ(g_messages.size(), 1u);
  EXPECT_NE(g_messages[0].find("mis.txt"), std::string::npos) << g_messages[0];
  EXPECT_NE(g_messages[0].find("Type mismatch - [Preferences]:DamScale"), std::string::npos);
}

}  // namespace
}  // namespace vex
