#include <gtest/gtest.h>

#include <string>

#include "platform/Path.h"

namespace vex::platform {
namespace {

struct SplitCase {
  const char* path;
  const char* drive;
  const char* dir;
  const char* name;
  const char* ext;
};

TEST(SplitPath, FollowsWindowsRules) {
  const SplitCase cases[] = {
      {"dm1", "", "", "dm1", ""},
      {"dm1.cfg", "", "", "dm1", ".cfg"},
      {"D:\\cfg\\dm1", "D:", "\\cfg\\", "dm1", ""},
      {"d:dm1.txt", "d:", "", "dm1", ".txt"},
      {"VexMod/ServerData/dm1.txt", "", "VexMod/ServerData/", "dm1", ".txt"},
      {"a\\b/c\\x", "", "a\\b/c\\", "x", ""},
      {"my.server.txt", "", "", "my.server", ".txt"},
      {"dir.d\\name", "", "dir.d\\", "name", ""},
      {"cfg\\", "", "cfg\\", "", ""},
      {".hidden", "", "", "", ".hidden"},
      {"1:x", "", "", "1:x", ""},
      {"", "", "", "", ""},
  };
  for (const SplitCase& c : cases) {
    SCOPED_TRACE(c.path);
    const PathParts parts = SplitPath(c.path);
    EXPECT_EQ(parts.Drive, c.drive);
    EXPECT_EQ(parts.Dir, c.dir);
    EXPECT_EQ(parts.Name, c.name);
    EXPECT_EQ(parts.Ext, c.ext);
  }
}

struct JoinCase {
  PathParts parts;
  const char* joined;
};

TEST(MakePath, AddsMissingSeparatorAndDot) {
  const JoinCase cases[] = {
      {{"", "VexMod\\ServerData\\", "dm1", ".txt"}, "VexMod\\ServerData\\dm1.txt"},
      {{"", "VexMod\\ServerData", "dm1", "txt"}, "VexMod\\ServerData\\dm1.txt"},
      {{"D:", "\\cfg\\", "dm1", ".txt"}, "D:\\cfg\\dm1.txt"},
      {{"", "cfg/", "dm1", ".txt"}, "cfg/dm1.txt"},
      {{"", "", "my.server", ".txt"}, "my.server.txt"},
      {{"", "", "dm1", ""}, "dm1"},
  };
  for (const JoinCase& c : cases) {
    SCOPED_TRACE(c.joined);
    EXPECT_EQ(MakePath(c.parts), std::optional<std::string>(c.joined));
  }
}

TEST(MakePath, RefusesRatherThanCutsAnOverLongPath) {
  const PathParts fits{"", "", std::string(kMaxPath - 1 - 4, 'n'), ".txt"};
  ASSERT_TRUE(MakePath(fits).has_value());
  EXPECT_EQ(MakePath(fits)->size(), kMaxPath - 1);

  const PathParts tooLong{"", "", std::string(kMaxPath - 4, 'n'), ".txt"};
  EXPECT_EQ(MakePath(tooLong), std::nullopt);
}

TEST(SplitAndMakePath, RoundTrip) {
  for (const char* path : {"D:\\cfg\\dm1.txt", "VexMod/ServerData/a.b.txt", "plain"}) {
    EXPECT_EQ(MakePath(SplitPath(path)), std::optional<std::string>(path));
  }
}

}  // namespace
}  // namespace vex::platform
