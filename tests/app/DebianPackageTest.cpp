// The .deb that CPack built from this build, unpacked into a scratch root with dpkg -x: its
// programs run from there, the engine module is found beside the real program, and its unit
// names the installed program; it holds what a Debian daemon ships, its maintainer scripts do
// their part in a root of their own, and lintian finds nothing that the README does not explain.
#include <gtest/gtest.h>
#include <signal.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <regex>
#include <sstream>
#include <string>
#include <vector>

#include "tests/support/ChildProcess.h"
#include "tests/support/ProgramFixtures.h"
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
    std::error_code missing;
    for (const auto& entry : fs::directory_iterator(VEX_PACKAGE_DIR, missing)) {
      if (entry.path().extension() == ".deb") {
        deb_ = new fs::path(entry.path());
        ChildProcess unpack("/usr/bin/dpkg", {"-x", entry.path().string(), "root"},
                            scratch_->Path().string());
        ChildProcess control("/usr/bin/dpkg-deb", {"-e", entry.path().string(), "control"},
                             scratch_->Path().string());
        unpackExit_ = std::max(unpack.WaitForExit(120s), control.WaitForExit(120s));
      }
    }
  }

  static void TearDownTestSuite() {
    delete scratch_;
    delete deb_;
  }

  void SetUp() override {
    ASSERT_EQ(unpackExit_, 0) << "no .deb in " VEX_PACKAGE_DIR
                                 " (CTest's DebianPackage.Packs makes it), or dpkg -x failed";
  }

  static fs::path Root() { return scratch_->Path() / "root"; }
  static fs::path Control() { return scratch_->Path() / "control"; }
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
  static inline fs::path* deb_ = nullptr;
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
  ASSERT_NE(unit.find("/usr/bin/vexserver --check-config "), std::string::npos) << unit;
  ASSERT_NE(unit.find("exec /usr/bin/vexserver -console "), std::string::npos) << unit;
  const fs::path instance = scratch_->Path() / "vexserver@deathmatch.service";
  std::ofstream(instance) << std::regex_replace(unit, std::regex("/usr/bin/vexserver"),
                                                Program().string());
  ChildProcess verify("/usr/bin/systemd-analyze",
                      {"verify", "--man=no", "--generators=no", instance.string()},
                      scratch_->Path().string());
  EXPECT_EQ(verify.WaitForExit(60s), 0) << verify.Errors();
  EXPECT_EQ(verify.Errors(), "");
}

std::string FieldOf(const fs::path& deb, const std::string& field) {
  ChildProcess query("/usr/bin/dpkg-deb", {"-f", deb.string(), field}, "/");
  query.WaitForExit(30s);
  return query.Output().substr(0, query.Output().find('\n'));
}

std::string Gunzipped(const fs::path& file) {
  ChildProcess gunzip("/bin/gzip", {"-dc", file.string()}, "/");
  EXPECT_EQ(gunzip.WaitForExit(30s), 0) << file << ": " << gunzip.Errors();
  return gunzip.Output();
}

TEST_F(DebianPackage, ShipsWhatADebianDaemonShips) {
  // A compressed manual page for every program on the path, which man reads without a warning.
  for (const auto& program : fs::directory_iterator(Root() / "usr/bin")) {
    const fs::path page =
        Root() / "usr/share/man/man1" / (program.path().filename().string() + ".1.gz");
    ASSERT_TRUE(fs::is_regular_file(page)) << "no manual page for " << program.path();
    ChildProcess man("/usr/bin/man", {"--warnings", "-l", page.string()}, "/",
                     {"MANWIDTH=80", "MAN_KEEP_FORMATTING=0"});
    EXPECT_EQ(man.WaitForExit(30s), 0);
    EXPECT_EQ(man.Errors(), "") << page;
    EXPECT_NE(man.Output().find(program.path().filename().string()), std::string::npos);
  }

  const fs::path doc = Root() / "usr/share/doc/vexserver";
  // The changelog's latest entry is the package's version.
  const std::string changelog = Gunzipped(doc / "changelog.gz");
  EXPECT_EQ(changelog.rfind("vexserver (" + FieldOf(*deb_, "Version") + ") ", 0), 0u) << changelog;

  // The example alerting rules, as they are kept in the sources, are rules Prometheus takes.
  const fs::path alerts = doc / "examples/vexserver-alerts.yml";
  EXPECT_EQ(ReadAll(alerts), ReadAll(fs::path(VEX_SOURCE_DIR) / "packaging/vexserver-alerts.yml"));
  ChildProcess promtool("/usr/bin/promtool", {"check", "rules", alerts.string()}, "/");
  EXPECT_EQ(promtool.WaitForExit(30s), 0) << promtool.Output() << promtool.Errors();

  // Every file under /etc is the operator's to change, so dpkg keeps the operator's version.
  std::vector<std::string> etcFiles;
  for (const auto& entry : fs::recursive_directory_iterator(Root() / "etc")) {
    if (entry.is_regular_file()) {
      etcFiles.push_back("/" + fs::relative(entry.path(), Root()).string());
    }
  }
  std::sort(etcFiles.begin(), etcFiles.end());
  std::istringstream conffileLines(ReadAll(Control() / "conffiles"));
  std::vector<std::string> conffiles;
  for (std::string line; std::getline(conffileLines, line);) {
    conffiles.push_back(line);
  }
  std::sort(conffiles.begin(), conffiles.end());
  EXPECT_EQ(etcFiles, conffiles);
  EXPECT_EQ(etcFiles, (std::vector<std::string>{"/etc/logrotate.d/vexserver",
                                                "/etc/vexserver/instance.env.example"}));

  // The log rotation has each server open its log again through the unit's reload, never with
  // SIGHUP, which stops it.
  const std::string rotation = ReadAll(Root() / "etc/logrotate.d/vexserver");
  EXPECT_NE(rotation.find("systemctl reload 'vexserver@*.service'"), std::string::npos);
  EXPECT_EQ(rotation.find("HUP"), std::string::npos);
  // One reload for every log rotated at once, not one for each.
  EXPECT_NE(rotation.find("\n    sharedscripts\n"), std::string::npos) << rotation;
  const std::string unit = ReadAll(Root() / "usr/lib/systemd/system/vexserver@.service");
  EXPECT_NE(unit.find("ExecReload=/bin/kill -USR1 $MAINPID"), std::string::npos);
  EXPECT_NE(FieldOf(*deb_, "Depends").find("procps"), std::string::npos) << "for /bin/kill";

  // The example's option lines are commented out, and its port leaves room for the first
  // server's query port.
  const std::string example = ReadAll(Root() / "etc/vexserver/instance.env.example");
  EXPECT_NE(example.find("#VEXSERVER_OPTIONS=\"-port 27890\""), std::string::npos) << example;
  EXPECT_EQ(example.find("\nVEXSERVER_OPTIONS"), std::string::npos) << example;
}

// The package states the licence of the sources, word for word, in the form Debian's tools read.
TEST_F(DebianPackage, CopyrightIsTheLicenceOfTheSources) {
  const std::string copyright = ReadAll(Root() / "usr/share/doc/vexserver/copyright");
  EXPECT_EQ(copyright.rfind(
                "Format: https://www.debian.org/doc/packaging-manuals/copyright-format/1.0/\n", 0),
            0u)
      << copyright;
  EXPECT_NE(copyright.find("\nFiles: *\nCopyright: 2026 VexServer contributors\nLicense: Expat\n"),
            std::string::npos)
      << copyright;

  // LICENSE's permission notice, as a paragraph's continuation lines: indented by one space, an
  // empty line written as " .".
  const std::string licence = ReadAll(fs::path(VEX_SOURCE_DIR) / "LICENSE");
  ASSERT_EQ(licence.rfind("MIT License\n\nCopyright (c) 2026 VexServer contributors\n\n", 0), 0u)
      << licence;
  std::istringstream notice(licence.substr(licence.find("Permission")));
  std::string paragraph = "\nLicense: Expat\n";
  for (std::string line; std::getline(notice, line);) {
    paragraph += line.empty() ? " .\n" : " " + line + "\n";
  }
  EXPECT_NE(copyright.find(paragraph), std::string::npos) << copyright;
}

// The maintainer scripts run as dpkg runs them, on a root of their own (DPKG_ROOT); the commands
// that change the machine's accounts and its service manager are stand-ins that write down how
// they were called.
class ScriptRoot {
 public:
  explicit ScriptRoot(fs::path control) : control_(std::move(control)) {
    const fs::path root = target_.Path();
    target_.Write("var/log/vexserver/hunt.log", "a line\n");
    target_.Write("etc/vexserver/hunt.env", "VEXSERVER_OPTIONS=\"-port 27890\"\n");
    target_.Write("etc/vexserver/instance.env.example", "# example\n");
    target_.Write("etc/vexserver/rcon-password", "s3cret\n");
    target_.Write("srv/vexserver/VexMod/ServerData/hunt.txt", "[Settings]\n");
    target_.Write("srv/vexserver/vexserver.log", "the operator's own file\n");
    target_.Write("etc/systemd/system/other.service", "");
    fs::create_directories(root / "run/systemd/system");
    fs::create_directories(root / "etc/systemd/system/multi-user.target.wants");
    fs::create_symlink("/usr/lib/systemd/system/vexserver@.service",
                       root / "etc/systemd/system/multi-user.target.wants/vexserver@hunt.service");
    fs::create_symlink("../other.service",
                       root / "etc/systemd/system/multi-user.target.wants/other.service");
    for (const char* command :
         {"systemctl", "deb-systemd-invoke", "systemd-sysusers", "userdel", "groupdel"}) {
      const fs::path stand_in = stand_ins_.Path() / command;
      std::ofstream(stand_in) << "#!/bin/sh\necho \"$(basename \"$0\") $*\" >>\"$CALLS\"\n";
      fs::permissions(stand_in, fs::perms::owner_all);
    }
  }

  // Runs one script with its arguments; the calls it made, one a line.
  std::string Run(const std::string& script, const std::vector<std::string>& arguments) {
    const fs::path calls = stand_ins_.Path() / "calls";
    fs::remove(calls);
    ChildProcess run("/bin/sh",
                     [&] {
                       std::vector<std::string> all{(control_ / script).string()};
                       all.insert(all.end(), arguments.begin(), arguments.end());
                       return all;
                     }(),
                     "/",
                     {"DPKG_ROOT=" + target_.Path().string(), "CALLS=" + calls.string(),
                      "PATH=" + stand_ins_.Path().string() + ":/usr/bin:/bin"});
    EXPECT_EQ(run.WaitForExit(30s), 0) << script << ": " << run.Errors();
    return ReadAll(calls);
  }

  const fs::path& Root() const { return target_.Path(); }

 private:
  fs::path control_;
  test::ScratchFolder target_;
  test::ScratchFolder stand_ins_;
};

// Install, upgrade, removal and purge, in the order dpkg runs the scripts.
TEST_F(DebianPackage, MaintainerScriptsInstallStopRemoveAndPurge) {
  ScriptRoot scripts(Control());
  const fs::path root = scripts.Root();
  EXPECT_EQ(scripts.Run("postinst", {"configure"}),
            "systemd-sysusers --root=" + root.string() +
                " vexserver.conf\nsystemctl --system daemon-reload\n");

  // An upgrade leaves the servers running; a removal stops them first.
  EXPECT_EQ(scripts.Run("prerm", {"upgrade", "0.1.1"}), "");
  EXPECT_EQ(scripts.Run("prerm", {"remove"}), "deb-systemd-invoke stop vexserver@*.service\n");
  EXPECT_EQ(scripts.Run("postrm", {"remove"}), "systemctl --system daemon-reload\n");
  EXPECT_TRUE(fs::exists(root / "var/log/vexserver/hunt.log"));
  EXPECT_TRUE(fs::exists(root / "etc/vexserver/hunt.env"));

  // The user stays: a file of the operator's that it owns must not pass to a later user.
  EXPECT_EQ(scripts.Run("postrm", {"purge"}), "systemctl --system daemon-reload\n");
  EXPECT_FALSE(fs::exists(root / "var/log/vexserver"));
  EXPECT_FALSE(fs::exists(root / "etc/vexserver/hunt.env"));
  EXPECT_TRUE(fs::exists(root / "etc/vexserver/rcon-password"));
  EXPECT_FALSE(
      fs::is_symlink(root / "etc/systemd/system/multi-user.target.wants/vexserver@hunt.service"));
  EXPECT_TRUE(fs::is_symlink(root / "etc/systemd/system/multi-user.target.wants/other.service"));
  // The game folder is the operator's.
  EXPECT_EQ(ReadAll(root / "srv/vexserver/vexserver.log"), "the operator's own file\n");
  EXPECT_TRUE(fs::exists(root / "srv/vexserver/VexMod/ServerData/hunt.txt"));
}

// Each tag that lintian still reports is named in the README, with the reason it stays.
TEST_F(DebianPackage, LintianReportsOnlyWhatTheReadmeExplains) {
  ChildProcess lintian("/usr/bin/lintian", {deb_->string()}, scratch_->Path().string());
  const int exitCode = lintian.WaitForExit(240s);
  ASSERT_NE(exitCode, -1) << "lintian did not finish";
  const std::string readme = ReadAll(fs::path(VEX_SOURCE_DIR) / "README.md");
  const std::string explained = readme.substr(readme.find("### Lintian"));
  std::istringstream lines(lintian.Output());
  for (std::string line; std::getline(lines, line);) {
    std::smatch tag;
    if (std::regex_search(line, tag, std::regex("^[EWI]: vexserver[^:]*: ([a-z0-9-]+)"))) {
      EXPECT_NE(explained.find("`" + tag[1].str() + "`"), std::string::npos)
          << "not explained in the README: " << line;
    }
  }
}

}  // namespace
}  // namespace vex
