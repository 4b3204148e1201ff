#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "session/ResourceArchives.h"
#include "tests/support/ScratchFolder.h"

namespace vex {
namespace {

const std::vector<std::string> kAfterMultiplayer = {"custom.rez",
                                                    "orvop.rez",
                                                    "orvop1.rez",
                                                    "orvop2.rez",
                                                    "VexMod\\vexmod_base.rez",
                                                    "VexMod\\vexmod_upd1.rez",
                                                    "VexMod\\vexmod_upd2.rez",
                                                    "VexMod\\vexmod_upd3.rez",
                                                    "VexMod\\vexmod_upd4.rez",
                                                    "VexMod\\vexmod_upd5.rez"};

std::vector<std::string> Fixed(const std::string& multiplayer) {
  std::vector<std::string> list = {"orvo.rez", "sounds.rez"};
  if (!multiplayer.empty()) {
    list.push_back(multiplayer);
  }
  list.insert(list.end(), kAfterMultiplayer.begin(), kAfterMultiplayer.end());
  return list;
}

std::string CustomList(int count) {
  std::string text = "[Rez]\n";
  for (int i = 0; i < count; ++i) {
    text += "Rez" + std::to_string(i) + " = \"extra" + std::to_string(i) + ".rez\"\n";
  }
  return text;
}

TEST(ArchiveList, TwelveFixedEntriesWithoutMultiplayerArchiveOrDisc) {
  test::ScratchWorkingFolder game;
  EXPECT_EQ(BuildArchiveList(std::nullopt).Archives, Fixed(""));
}

TEST(ArchiveList, MultiplayerArchiveInTheFolderWinsOverTheDisc) {
  test::ScratchWorkingFolder game;
  game.Write("multi.rez", "x");
  game.Write("disc/multi.rez", "x");
  EXPECT_EQ(BuildArchiveList((game.Path() / "disc").string()).Archives, Fixed("multi.rez"));
}

TEST(ArchiveList, MultiplayerArchiveFromTheMountedDisc) {
  test::ScratchWorkingFolder game;
  game.Write("disc/multi.rez", "x");
  const std::string disc = (game.Path() / "disc").string();
  EXPECT_EQ(BuildArchiveList(disc).Archives, Fixed(disc + "/multi.rez"));
  game.Write("empty-disc/readme", "x");
  EXPECT_EQ(BuildArchiveList((game.Path() / "empty-disc").string()).Archives, Fixed(""));
}

TEST(ArchiveList, CustomListStopsAtTheFirstMissingOrNonTextEntry) {
  struct Case {
    const char* name;
    std::string file;
    std::vector<std::string> custom;
  };
  const Case cases[] = {
      {"gap at Rez2",
       "[Rez]\nRez0 = \"a.rez\"\nRez1 = \"b.rez\"\nRez3 = \"d.rez\"\n",
       {"a.rez", "b.rez"}},
      {"number instead of a name", "[Rez]\nRez0 = 5\nRez1 = \"b.rez\"\n", {}},
      {"syntax error", "[Rez]\nRez0 = \"a.rez\"\nRez1 = b.rez\n", {}},
      {"letter case of tag and symbols", "[rez]\nREZ0 = \"a.rez\"\n", {"a.rez"}},
  };
  for (const auto& c : cases) {
    test::ScratchWorkingFolder game;
    game.Write("VexMod/customrez.txt", c.file);
    std::vector<std::string> expected = Fixed("");
    expected.insert(expected.end(), c.custom.begin(), c.custom.end());
    EXPECT_EQ(BuildArchiveList(std::nullopt).Archives, expected) << c.name;
  }
}

TEST(ArchiveList, CustomListThatCannotBeReadIsLeftOutAtOnceWithItsReason) {
  struct Case {
    const char* name;
    std::function<void(const test::ScratchWorkingFolder&)> make;
    std::string problem;  // empty: no reason is given
  };
  const Case cases[] = {
      {"absent", [](const auto&) {}, ""},
      {"a FIFO without a writer",
       [](const auto& game) {
         std::filesystem::create_directories(game.Path() / "VexMod");
         ASSERT_EQ(::mkfifo((game.Path() / "VexMod/customrez.txt").c_str(), 0600), 0);
       },
       "VexMod/customrez.txt: not a regular file (a FIFO)"},
      {"a directory",
       [](const auto& game) {
         std::filesystem::create_directories(game.Path() / "VexMod/customrez.txt");
       },
       "VexMod/customrez.txt: not a regular file (a directory)"},
      {"syntax error",
       [](const auto& game) { game.Write("VexMod/customrez.txt", "[Rez]\nRez0 = a.rez\n"); },
       "File \"VexMod/customrez.txt\", line 2 :  Invalid token encountered."},
  };
  for (const auto& c : cases) {
    test::ScratchWorkingFolder game;
    c.make(game);
    const ArchiveList list = BuildArchiveList(std::nullopt);
    EXPECT_EQ(list.Archives, Fixed("")) << c.name;
    EXPECT_EQ(list.CustomListProblem, c.problem) << c.name;
  }
}

TEST(ArchiveList, CustomListFoundIgnoringTheCaseOfItsPath) {
  test::ScratchWorkingFolder game;
  game.Write("vexmod/CUSTOMREZ.TXT", CustomList(1));
  EXPECT_EQ(BuildArchiveList(std::nullopt).Archives.back(), "extra0.rez");
}

TEST(ArchiveList, TwentyFiveCustomEntriesAreAllListedBeforeTheCut) {
  test::ScratchWorkingFolder game;
  game.Write("VexMod/customrez.txt", CustomList(25));
  const auto list = BuildArchiveList(std::nullopt).Archives;
  ASSERT_EQ(list.size(), 12u + 25u);
  EXPECT_EQ(list[12], "extra0.rez");
  EXPECT_EQ(list.back(), "extra24.rez");
}

}  // namespace
}  // namespace vex
