#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/FileSystem.h"
#include "tests/support/ScratchFolder.h"

namespace vex::platform {
namespace {

class FileSystemTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_FALSE(dir_.Path().empty());
    dir_.Write("VexMod/ServerData/DM1.txt", "a");
    dir_.Write("VexMod/ServerData/b.TXT", "b");
    dir_.Write("VexMod/ServerData/notes.cfg", "c");
    dir_.MakeDirectory("VexMod/ServerData/x.txt");
    root_ = dir_.Path().string();
  }

  test::ScratchFolder dir_;
  std::string root_;
};

TEST_F(FileSystemTest, ResolvesEachComponentIgnoringCase) {
  EXPECT_EQ(ResolvePath(root_ + "\\vexmod\\SERVERDATA\\dm1.TXT"),
            root_ + "/VexMod/ServerData/DM1.txt");
  EXPECT_EQ(ResolvePath(root_ + "/VexMod/ServerData/b.TXT"), root_ + "/VexMod/ServerData/b.TXT");
}

TEST_F(FileSystemTest, KeepsUnmatchedComponentsAsWritten) {
  EXPECT_EQ(ResolvePath(root_ + "\\vexmod\\Missing\\Dm1.txt"), root_ + "/VexMod/Missing/Dm1.txt");
  EXPECT_EQ(ResolvePath("D:\\cfg\\dm1.txt"), "D:/cfg/dm1.txt");
}

TEST_F(FileSystemTest, FileExistsOnlyForRegularFiles) {
  EXPECT_TRUE(FileExists(root_ + "\\VEXMOD\\serverdata\\dm1.txt"));
  EXPECT_FALSE(FileExists(root_ + "\\VexMod\\ServerData\\x.txt"));
  EXPECT_FALSE(FileExists(root_ + "\\VexMod\\ServerData"));
  EXPECT_FALSE(FileExists(root_ + "\\VexMod\\ServerData\\none.txt"));
}

TEST_F(FileSystemTest, ListsMatchingEntriesSortedWithDirectoriesMarked) {
  const std::vector<DirEntry> entries = ListDirectory(root_ + "\\vexmod\\serverdata\\*.txt");
  ASSERT_EQ(entries.size(), 3u);
  EXPECT_EQ(entries[0].Name, "DM1.txt");
  EXPECT_FALSE(entries[0].IsDirectory);
  EXPECT_EQ(entries[1].Name, "b.TXT");
  EXPECT_FALSE(entries[1].IsDirectory);
  EXPECT_EQ(entries[2].Name, "x.txt");
  EXPECT_TRUE(entries[2].IsDirectory);
}

TEST_F(FileSystemTest, ListingReportsDotEntriesWhenTheyMatch) {
  std::vector<std::string> names;
  for (const DirEntry& entry : ListDirectory(root_ + "/VexMod/ServerData/*")) {
    names.push_back(entry.Name);
  }
  EXPECT_EQ(names, (std::vector<std::string>{".", "..", "DM1.txt", "b.TXT", "notes.cfg", "x.txt"}));
}

TEST_F(FileSystemTest, ListingOfAMissingDirectoryIsEmpty) {
  EXPECT_TRUE(ListDirectory(root_ + "/Nowhere/*.txt").empty());
}

TEST(WildcardMatch, Table) {
  struct Case {
    const char* pattern;
    const char* name;
    bool matches;
  };
  const Case cases[] = {
      {"*.txt", "dm1.txt", true},
      {"*.txt", "DM1.TXT", true},
      {"*.txt", "dm1.txt.bak", false},
      {"*.txt", ".txt", true},
      {"*.txt", "dm1.tx", false},
      {"*", "", true},
      {"*", "..", true},
      {"", "", true},
      {"", "a", false},
      {"d?1.txt", "dm1.txt", true},
      {"d?1.txt", "d1.txt", false},
      {"*m*.t?t", "xdmyz.TXT", true},
      {"a*b*c", "aXbYbZc", true},
      {"a*b*c", "aXbYcZ", false},
      {"**a", "bba", true},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(WildcardMatch(c.pattern, c.name), c.matches) << c.pattern << " vs " << c.name;
  }
}

}  // namespace
}  // namespace vex::platform
