#include <gtest/gtest.h>

#include "app/ProgramOptions.h"

namespace vex {
namespace {

struct OptionsCase {
  const char* name;
  std::vector<std::string> arguments;
  bool console;
  bool checkConfig;
  std::optional<std::string> dump;
  bool error;
};

TEST(ProgramOptions, OurOptionsNeverTakeTheValueOfAGameOption) {
  const OptionsCase cases[] = {
      {"nothing", {}, false, false, std::nullopt, false},
      {"console", {"-console"}, true, false, std::nullopt, false},
      {"console in capitals", {"-CONSOLE"}, true, false, std::nullopt, false},
      {"value of -name", {"-name", "-console"}, false, false, std::nullopt, false},
      {"value of -config", {"-config", "--check-config"}, false, false, std::nullopt, false},
      {"between game options",
       {"-config", "dm", "-console", "-port", "5"},
       true,
       false,
       std::nullopt,
       false},
      {"check with dump",
       {"--check-config", "-config", "dm", "--dump-options", "out.bin"},
       false,
       true,
       "out.bin",
       false},
      {"dump without a file", {"--dump-options"}, false, false, std::nullopt, true},
      {"value of -name after a -config that took -name",
       {"-config", "-name", "--check-config", "-config", "e1"},
       false,
       false,
       std::nullopt,
       false},
      {"dump file that the game takes as an option",
       {"--check-config", "--dump-options", "-port", "5", "-config", "dm"},
       false,
       true,
       std::nullopt,
       true},
      {"dump file named like an option, last",
       {"--dump-options", "-config"},
       false,
       false,
       "-config",
       false},
  };
  for (const auto& c : cases) {
    std::vector<std::string> arguments = {"vexserver"};
    arguments.insert(arguments.end(), c.arguments.begin(), c.arguments.end());
    const ProgramOptions options = ParseProgramOptions(arguments);
    EXPECT_EQ(options.Console, c.console) << c.name;
    EXPECT_EQ(options.CheckConfig, c.checkConfig) << c.name;
    EXPECT_EQ(options.DumpOptionsFile, c.dump) << c.name;
    EXPECT_EQ(!options.Error.empty(), c.error) << c.name;
  }
}

}  // namespace
}  // namespace vex
