#pragma once

#include <cstdlib>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "framework/Controls.h"
#include "framework/testing/BackEndForTests.h"
#include "res/Resource.h"
#include "tests/support/ScratchFolder.h"
#include "ui/ServerDlg.h"

namespace vex::test {

// A small deathmatch configuration: a free port, and a level name too short for its prefix.
inline constexpr const char* kTestConfig = R"([Settings]
ServName = "Test Server"
GameType = 1

[Preferences]
PortID = 0

[Deathmatch]
MaxTotalPlayers = 12
Map00 = "Worlds\Multi\Arena"
Map01 = "Short"
Map02 = "Worlds\Multi\Foundry"
)";

// Sets an environment variable of the bundled engine for the life of the object.
class ScopedEnvironment {
 public:
  ScopedEnvironment(const char* name, const char* value) : name_(name) {
    if (const char* old = std::getenv(name)) {
      previous_ = old;
    }
    setenv(name, value, 1);
  }
  ~ScopedEnvironment() {
    if (previous_) {
      setenv(name_, previous_->c_str(), 1);
    } else {
      unsetenv(name_);
    }
  }
  ScopedEnvironment(const ScopedEnvironment&) = delete;
  ScopedEnvironment& operator=(const ScopedEnvironment&) = delete;

 private:
  const char* name_;
  std::optional<std::string> previous_;
};

// A status window over the real engine module in a temporary game folder that holds the test
// configuration as VexMod\ServerData\test.txt.
class ServerWindow {
 public:
  explicit ServerWindow(std::vector<std::string> arguments = {"vexserver", "-config", "test"}) {
    folder_.Write("VexMod/ServerData/test.txt", kTestConfig);
    window_ = std::make_unique<CServerDlg>(std::move(arguments));
  }
  ~ServerWindow() { window_.reset(); }
  ServerWindow(const ServerWindow&) = delete;
  ServerWindow& operator=(const ServerWindow&) = delete;

  CServerDlg& Window() { return *window_; }
  const ScratchWorkingFolder& Folder() const { return folder_; }

  // Creates the window; its first show starts the server. True once the update thread runs.
  bool Start() {
    window_->Create();
    return test::PumpUntil([this] { return window_->Session().HasThread(); });
  }

  fw::CConsoleEdit& Console() { return window_->Control<fw::CConsoleEdit>(res::IDC_CONSOLE); }
  std::string ConsoleText() { return Console().GetWindowText(); }
  bool ConsoleHas(const std::string& text) { return ConsoleText().find(text) != std::string::npos; }
  bool PumpUntilConsoleHas(const std::string& text, int milliseconds = 5000) {
    return test::PumpUntil([&] { return ConsoleHas(text); }, milliseconds);
  }
  fw::CListCtrl& List(int id) { return window_->Control<fw::CListCtrl>(id); }
  fw::CWnd& Item(int id) { return window_->Item(id); }

 private:
  ScratchWorkingFolder folder_;
  std::unique_ptr<CServerDlg> window_;
};

}  // namespace vex::test
