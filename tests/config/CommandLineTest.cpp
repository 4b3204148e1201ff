#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "config/CommandLine.h"
#include "config/ConfigPath.h"
#include "config/FixedText.h"
#include "config/GameOptionsBuilder.h"

namespace vex {
namespace {

struct CommandLineCase {
  std::vector<const char*> arguments;  // after the program path
  const char* configName;              // expected after name mode, starting from ""
  std::uint16_t port;                  // expected after block mode, starting from the preset
  const char* serverName;
};

std::vector<std::string> Argv(const std::vector<const char*>& arguments) {
  std::vector<std::string> argv{"vexserver"};
  argv.insert(argv.end(), arguments.begin(), arguments.end());
  return argv;
}

TEST(ApplyCommandLine, Table) {
  const std::string longName(70, 'n');
  const CommandLineCase cases[] = {
      {{}, "", 27888, "Orvo-VexMod"},
      {{"-name"}, "", 27888, "Orvo-VexMod"},
      {{"-config", "dm1", "-name"}, "dm1", 27888, "Orvo-VexMod"},
      {{"-port", "1000", "-PORT", "2000"}, "", 2000, "Orvo-VexMod"},
      {{"-port", "70000"}, "", 4464, "Orvo-VexMod"},
      {{"-config", "-name", "Box"}, "-name", 27888, "Box"},
      {{"-port=5", "-config=a"}, "", 27888, "Orvo-VexMod"},
      {{"-Config", "a", "-CONFIG", "b"}, "b", 27888, "Orvo-VexMod"},
      {{"-name", "-port", "9"}, "", 27888, "-port"},
      {{"-port", "-12"}, "", 65524, "Orvo-VexMod"},
      {{"-port", "  +77xyz"}, "", 77, "Orvo-VexMod"},
      {{"-port", "abc"}, "", 0, "Orvo-VexMod"},
      {{"-port", "4294967297"}, "", 1, "Orvo-VexMod"},
      {{"x", "-port", "5", "y"}, "", 5, "Orvo-VexMod"},
      {{"-console", "--check-config", "-config", "c", "--dump-options", "out.bin", "-port", "7",
        "--help", "--version", "-name", "N"},
       "c",
       7,
       "N"},
      {{"--dump-options", "-port", "8"}, "", 8, "Orvo-VexMod"},
      {{"-port", "-config", "dm"}, "dm", 0, "Orvo-VexMod"},
      {{"-name", "-config", "dm"}, "dm", 27888, "-config"},
      {{"-log", "-config", "dm"}, "dm", 27888, "Orvo-VexMod"},
      {{"-name", longName.c_str()},
       "",
       27888,
       "nnnnnnnnnnnnnnnnnnnnnnnnnnnnnnnnnnnnnnnnnnnnnnnnnnnnnnnnnnnnnnn"},
  };
  for (const CommandLineCase& c : cases) {
    const std::vector<std::string> argv = Argv(c.arguments);
    std::string trace;
    for (const char* argument : c.arguments) {
      trace += std::string(argument) + " ";
    }
    SCOPED_TRACE(trace);

    std::string configName;
    ApplyCommandLine(argv, configName);
    EXPECT_EQ(configName, c.configName);

    CGameOptions block = PresetGameOptions();
    const CGameOptions preset = block;
    ApplyCommandLine(argv, block);
    EXPECT_EQ(block.PortID, c.port);
    EXPECT_EQ(std::string(FixedTextView(block.ServName)), c.serverName);
    EXPECT_EQ(block.ServName[63], '\0');
    // Nothing else in the block moves.
    block.PortID = preset.PortID;
    std::memcpy(block.ServName, preset.ServName, sizeof block.ServName);
    EXPECT_EQ(std::memcmp(&block, &preset, sizeof block), 0);
  }
}

TEST(ApplyCommandLine, AShorterNameClearsTheRestOfTheField) {
  CGameOptions block = PresetGameOptions();
  ApplyCommandLine(std::vector<std::string>{"vexserver", "-name", "ab"}, block);
  for (std::size_t i = 2; i < sizeof block.ServName; ++i) {
    EXPECT_EQ(block.ServName[i], '\0') << i;
  }
}

TEST(CompleteConfigPath, AddsFolderAndExtensionOnlyWhenMissing) {
  struct Case {
    const char* name;
    const char* path;
  };
  const Case cases[] = {
      {"dm1", "VexMod\\ServerData\\dm1.txt"},         {"dm1.cfg", "VexMod\\ServerData\\dm1.cfg"},
      {"D:\\cfg\\dm1", "D:\\cfg\\dm1.txt"},           {"cfg/dm1.txt", "cfg/dm1.txt"},
      {"my.server", "VexMod\\ServerData\\my.server"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(CompleteConfigPath(c.name), std::optional<std::string>(c.path)) << c.name;
  }
}

TEST(CompleteConfigPath, RefusesAPathOf260CharactersOrMore) {
  const std::size_t room = 259 - std::string("VexMod\\ServerData\\.txt").size();
  EXPECT_EQ(CompleteConfigPath(std::string(room, 'a'))->size(), 259u);
  EXPECT_EQ(CompleteConfigPath(std::string(room + 1, 'a')), std::nullopt);
}

}  // namespace
}  // namespace vex
