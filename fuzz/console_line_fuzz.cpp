// A line typed at the terminal, through the status window's dispatch, to the shell message the
// engine receives. A line that is not a terminal command must arrive as exactly one console
// command message: the line cut as the game reads it, zero-terminated, the rest of the buffer
// zero. Terminal commands must not post console command messages.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <string_view>
#include <tuple>
#include <vector>

#include "framework/Application.h"
#include "fuzz/ConsoleBackEnd.h"
#include "session/ShellMessages.h"
#include "tests/support/ScratchFolder.h"
#include "tests/support/ScriptedEngine.h"
#include "ui/ServerDlg.h"

namespace {

constexpr std::uint8_t kConsoleCommandId = 3;

constexpr const char* kConfig = R"([Settings]
ServName = "Fuzz Server"
GameType = 1
[Preferences]
PortID = 0
[Deathmatch]
MaxTotalPlayers = 12
Map00 = "Worlds\Multi\Arena"
Map01 = "Worlds\Multi\Foundry"
)";

void Require(bool holds, const char* what) {
  if (!holds) {
    std::fprintf(stderr, "console_line_fuzz: invariant broken: %s\n", what);
    std::abort();
  }
}

// A running status window over the scripted engine in its own game folder, made once.
struct RunningWindow {
  vex::test::ScratchWorkingFolder Folder;
  std::unique_ptr<vex::CServerDlg> Window;
  vex::test::ScriptedEngine* Engine = nullptr;

  RunningWindow() {
    Folder.Write("VexMod/ServerData/fuzz.txt", kConfig);
    Folder.Link("server.so", VEX_SCRIPTED_ENGINE);
    Window =
        std::make_unique<vex::CServerDlg>(std::vector<std::string>{"vexserver", "-config", "fuzz"});
    Window->Create();
    for (int waited = 0; waited < 5000 && !Window->Session().HasThread(); waited += 5) {
      vex::fw::PumpEvents(5);
    }
    Engine = static_cast<vex::test::ScriptedEngine*>(Window->Session().Engine());
    Require(Engine != nullptr, "the server did not start");
  }
};

bool IsConsoleCommand(const std::vector<std::uint8_t>& message) {
  return !message.empty() && message[0] == kConsoleCommandId &&
         message.size() == std::tuple_size_v<vex::ConsoleCommandMessage>;
}

void CheckConsoleCommand(const std::vector<std::uint8_t>& message) {
  std::size_t end = 1;
  while (end < message.size() && message[end] != 0) {
    ++end;
  }
  Require(end <= vex::kMaxConsoleCommand + 1, "a command longer than the game reads");
  for (std::size_t i = end; i < message.size(); ++i) {
    Require(message[i] == 0, "bytes after the command's terminator");
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  RunningWindow& running = vex::fuzz::WithConsoleBackEnd<RunningWindow>();
  std::string line(reinterpret_cast<const char*>(data), size);
  line = line.substr(0, line.find('\n'));
  // Stopping would leave no engine for the inputs after this one.
  if (line.starts_with("/stop")) {
    return 0;
  }
  running.Engine->TakeShellMessages();
  running.Window->DispatchTerminalLine(line);
  const std::vector<std::vector<std::uint8_t>> messages = running.Engine->TakeShellMessages();

  std::vector<const std::vector<std::uint8_t>*> commands;
  for (const auto& message : messages) {
    if (IsConsoleCommand(message)) {
      CheckConsoleCommand(message);
      commands.push_back(&message);
    }
  }
  std::string_view typed = line;
  if (typed.ends_with('\r')) {
    typed.remove_suffix(1);
  }
  if (typed.starts_with('/')) {
    Require(commands.empty(), "a terminal command reached the game as a console command");
    return 0;
  }
  const vex::ConsoleCommandMessage expected = vex::MakeConsoleCommandMessage(typed);
  if (expected[1] == 0) {
    Require(commands.empty(), "an empty command was sent");
    return 0;
  }
  Require(commands.size() == 1, "a typed line did not arrive as one console command");
  Require(std::equal(expected.begin(), expected.end(), commands[0]->begin()),
          "the console command differs from the typed line");
  return 0;
}
