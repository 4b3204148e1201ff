#include <string>

#include "framework/Application.h"
#include "framework/Dialog.h"
#include "framework/StringTable.h"
#include "platform/Clock.h"
#include "platform/TextCut.h"
#include "res/Resource.h"
#include "session/LevelControls.h"
#include "session/ShellMessages.h"
#include "ui/ServerDlg.h"

namespace vex {

void CServerDlg::OnTerminalLine(const std::string& line) {
  RunLine(line, {CommandSource::Terminal, {}}, {});
}

void CServerDlg::RunLine(std::string_view input, const CommandOrigin& origin,
                         CommandAnswer answer) {
  // A remote packet is one command line, as one line typed at the terminal is; a typed line
  // keeps what it holds but the CR of a CR LF ending.
  std::string_view line = input;
  if (origin.Remote()) {
    line = line.substr(0, line.find_first_of("\r\n"));
  } else if (!line.empty() && line.back() == '\r') {
    line.remove_suffix(1);
  }
  if (origin.Remote()) {
    std::string shown = origin.Peer;
    shown += ": ";
    shown += line;
    PrintOperatorLine(shown);
  }
  if (origin.Source == CommandSource::Window || line.empty() || line.front() != '/') {
    RunGameCommand(line, origin, std::move(answer));
    return;
  }
  std::string text = RunServerCommand(line, origin);
  if (answer) {
    answer({std::move(text), false});
  } else {
    fw::TerminalWrite(text);
  }
}

void CServerDlg::RunGameCommand(std::string_view line, const CommandOrigin& origin,
                                CommandAnswer answer) {
  // The game reads the command as a zero-terminated text of at most 119 bytes; the echo shows
  // what is sent, without a character that the cut would split.
  const std::string command(
      platform::CutAtCharacter(line.substr(0, line.find('\0')), kMaxConsoleCommand));
  if (session_.Engine() == nullptr || command.empty()) {
    if (answer) {
      answer({command.empty() ? "" : "The server is not running.\n", false});
    }
    return;
  }
  if (!origin.Remote()) {
    std::string echo = "<< ";
    echo += fw::LoadStringOrEmpty(res::IDS_SERVER_SPEAKER);
    echo += " >>  ";
    echo += command;
    PrintOperatorLine(echo);
  }
  PostConsoleCommand(command, std::move(answer));
}

bool CServerDlg::PostConsoleCommand(std::string_view command, CommandAnswer answer) {
  const std::uint64_t framesBefore = session_.FramesRun();
  if (!SendConsoleCommand(session_, command)) {
    if (answer) {
      answer({"The engine is not answering; the action was not carried out.\n", false});
    }
    return false;
  }
  answers_.Posted(std::move(answer), framesBefore, platform::MillisecondClock());
  return true;
}

// Engine callbacks of the kick arrive while the window thread holds the lock, so the lines
// queued meanwhile are the engine's output for it.
bool CServerDlg::KickPlayer(std::int32_t clientId, std::string& engineOutput) {
  IServerEngine* engine = session_.Engine();
  if (engine == nullptr || clientId == tracking_.ProtectedClientId.load()) {
    return false;
  }
  const SessionLockHold hold = session_.LockForOperator();
  if (!hold) {
    return false;
  }
  ConsoleLineQueue& queue = session_.PendingConsoleLines();
  const std::size_t before = queue.Size();
  engine->KickClient(clientId);
  for (const std::string& text : queue.TextsFrom(before)) {
    engineOutput += text;
    engineOutput += '\n';
  }
  return true;
}

}  // namespace vex
