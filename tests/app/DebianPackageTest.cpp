// The .deb that CPack builds from this build, unpacked into a scratch root with dpkg -x: its
// programs run from there, the engine module is found beside the real program, and its unit
// names the installed program.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/file.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <regex>
#include <sstream>
#include <string>

#include "ChildProcess.h"
#include "ProgramFixtures.h"
#include "tests/support/ScratchFolder.h"

namespace vex {
namespace {

using namespace std::chrono_literals;
using test::ChildProcess;
using test::FreePort;
namespace fs = std::filesystem;

std::string ReadAll(const fs::path& path) {
  std::ifstream file(path);
  std::stringstream text;
  text << file.rdbuf();
  return text.str();
}

class DebianPackage : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    scratch_ = new test::ScratchFolder();
    // CPack builds and installs in the build folder: test processes that run at once take turns.
    const int lock = open((std::string(VEX_BUILD_DIR) + "/package-test.lock").c_str(),
                          O_CREAT | O_RDWR | O_CLOEXEC, 0644);
    flock(lock, LOCK_EX);
    ChildProcess cpack(VEX_CPACK_COMMAND,
                       {"--config", std::string(VEX_BUILD_DIR) + "/CPackConfig.cmake", "-B",
                        (scratch_->Path() / "out").string()},
                       scratch_->Path().string());
    cpackExit_ = cpack.WaitForExit(300s);
    cpackLog_ = new std::string(cpack.Output() + cpack.Errors());
    close(lock);
    for (const auto& entry : fs::directory_iterator(scratch_->Path() / "out")) {
      if (entry.path().extension() == ".deb") {
        ChildProcess unpack("/usr/bin/dpkg", {"-x", entry.path().string(), "root"},
                            scratch_->Path().string());
        unpackExit_ = unpack.WaitForExit(120s);
      }
    }
  }

  static void TearDownTestSuite() {
    delete scratch_;
    delete cpackLog_;
  }

  void SetUp() override {
    ASSERT_EQ(cpackExit_, 0) << *cpackLog_;
    ASSERT_EQ(unpackExit_, 0) << "no .deb was made, or dpkg -x failed";
  }

  static fs::path Root() { return scratch_->Path() / "root"; }
  static fs::path Program() { return Root() / "usr/bin/vexserver"; }

  // A game folder of the user's, copied from the packaged sample.
  static std::string GameFolder() {
    const fs::path folder = scratch_->Path() / "game";
    if (!fs::exists(folder)) {
      fs::copy(Root() / "usr/share/vexserver/gamedir", folder, fs::copy_options::recursive);
    }
    return folder.string();
  }

  static inline test::ScratchFolder* scratch_ = nullptr;
  static inline std::string* cpackLog_ = nullptr;
  static inline int cpackExit_ = -1;
  static inline int unpackExit_ = -1;
};

TEST_F(DebianPackage, ProgramsRunFromTheScratchRoot) {
  ChildProcess version(Program().string(), {"--version"}, Root().string());
  EXPECT_EQ(version.WaitForExit(30s), 0);
  EXPECT_TRUE(std::regex_match(version.Output(), std::regex("VexServer \\d+\\.\\d+\\.\\d+\n")))
      << version.Output();

  ChildProcess check(Program().string(), {"--check-config", "-config", "deathmatch"}, GameFolder());
  EXPECT_EQ(check.WaitForExit(30s), 0) << check.Errors();
  EXPECT_NE(check.Output().find("Vex Deathmatch"), std::string::npos) << check.Output();

  ChildProcess attributes((Root() / "usr/bin/vexattr").string(),
                          {GameFolder() + "/VexMod/ServerData/deathmatch.txt"}, GameFolder());
  EXPECT_EQ(attributes.WaitForExit(30s), 0) << attributes.Errors();
  EXPECT_TRUE(fs::is_regular_file(Root() / "usr/share/man/man1/vexserver.1"));
}

// The game folder has no server.so: the one installed beside the program's real path hosts.
TEST_F(DebianPackage, HostsWithThePackagedEngineModule) {
  ASSERT_FALSE(fs::exists(GameFolder() + "/server.so"));
  ChildProcess server(Program().string(),
                      {"-console", "-config", "deathmatch", "-port", FreePort()}, GameFolder());
  ASSERT_TRUE(server.WaitForOutput("Server is running.", 30s)) << server.Errors();
  server.Signal(SIGTERM);
  EXPECT_EQ(server.WaitForExit(30s), 2);
}

TEST_F(DebianPackage, UnitNamesTheInstalledProgram) {
  const std::string unit = ReadAll(Root() / "usr/lib/systemd/system/vexserver@.service");
  ASSERT_NE(unit.find("ExecStart=/usr/bin/vexserver "), std::string::npos) << unit;
  const fs::path instance = scratch_->Path() / "vexserver@deathmatch.service";
  std::ofstream(instance) << std::regex_replace(unit, std::regex("/usr/bin/vexserver"),
                                                Program().string());
  ChildProcess verify("/usr/bin/systemd-analyze",
                      {"verify", "--man=no", "--generators=no", instance.string()},
                      scratch_->Path().string());
  EXPECT_EQ(verify.WaitForExit(60s), 0) << verify.Errors();
  EXPECT_EQ(verify.Errors(), "");
}

}  // namespace
}  // namespace vex
