#include <gtest/gtest.h>
#include <signal.h>

#include <filesystem>
#include <string>

#include "tests/support/ChildProcess.h"
#include "tests/support/ProgramFixtures.h"

namespace vex {
namespace {

namespace fs = std::filesystem;
using test::ChildProcess;
using test::FreePort;
using test::GameFolder;
using test::kProgram;

const std::string kWarning = "Warning: server.so is loaded from the working directory";

struct LocationCase {
  const char* name;
  fs::perms folderMode;
  bool moduleInFolder;
  bool warned;
};

void PrintTo(const LocationCase& c, std::ostream* out) {
  *out << c.name;
}

class ModuleLocation : public ::testing::TestWithParam<LocationCase> {};

// The working directory is searched first, so whoever can write there chooses the engine.
TEST_P(ModuleLocation, AWorkingDirectoryOthersCanWriteToIsWarnedOfWhenTheModuleComesFromIt) {
  GameFolder game;
  fs::permissions(game.Path(), GetParam().folderMode);
  if (GetParam().moduleInFolder) {
    fs::create_symlink(std::string(VEX_BIN_DIR) + "/server.so",
                       fs::path(game.Path()) / "server.so");
  }
  ChildProcess server(kProgram, {"-console", "-config", "deathmatch", "-port", FreePort()},
                      game.Path());
  ASSERT_TRUE(server.WaitForOutput("Server is running.")) << server.Output() << server.Errors();
  EXPECT_EQ(server.Output().find(kWarning) != std::string::npos, GetParam().warned)
      << server.Output();
  server.Signal(SIGINT);
  EXPECT_EQ(server.WaitForExit(), 2);
}

INSTANTIATE_TEST_SUITE_P(
    Program, ModuleLocation,
    ::testing::Values(LocationCase{"writable_by_all", fs::perms::all, true, true},
                      LocationCase{"owner_only", fs::perms::owner_all, true, false},
                      LocationCase{"writable_but_module_beside_the_program", fs::perms::all, false,
                                   false}),
    [](const auto& row) { return std::string(row.param.name); });

TEST(ModuleLocation, AMissingModuleNamesBothPlacesLookedIn) {
  GameFolder game;
  test::ScratchFolder programFolder;
  const fs::path program = programFolder.Path() / "vexserver";
  fs::copy_file(kProgram, program);
  ChildProcess server(program.string(), {"-console", "-config", "deathmatch", "-port", FreePort()},
                      game.Path());
  EXPECT_EQ(server.WaitForExit(), 4);
  EXPECT_NE(
      server.Output().find("server.so is neither in the working directory (" +
                           fs::canonical(game.Path()).string() + ") nor beside the program (" +
                           fs::canonical(programFolder.Path()).string() + ")."),
      std::string::npos)
      << server.Output();
}

}  // namespace
}  // namespace vex
