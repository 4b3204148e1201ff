#include <string>
#include <utility>
#include <vector>

#include "framework/Application.h"
#include "framework/Dialog.h"
#include "framework/StringTable.h"
#include "platform/Clock.h"
#include "platform/TextCut.h"
#include "res/Resource.h"
#include "session/ShellMessages.h"
#include "ui/ServerDlg.h"

namespace vex {

namespace {

constexpr std::uint32_t kLongestLineHoldMs = 1000;

}  // namespace

void CServerDlg::OnTerminalLine(const std::string& line) {
  RunLine(line, {CommandSource::Terminal, {}}, {});
}

// Piped lines come faster than an engine may take them: a line whose message the engine refused
// stays with the reader and comes again once a frame has run. A line refused after a frame was
// refused for another reason than a full queue, and that reason is told. Without frames (a hung
// or stopped engine) it is tried again after a while, and then refused for good.
bool CServerDlg::TakeTerminalLine(const std::string& line) {
  if (heldAtFrame_ && session_.FramesRun() == *heldAtFrame_ &&
      platform::MillisecondClock() - heldSinceMs_ < kLongestLineHoldMs) {
    return false;
  }
  mayHoldLine_ = !heldAtFrame_;
  lineHeldAtFrame_.reset();
  RunLine(line, {CommandSource::Terminal, {}}, {});
  mayHoldLine_ = false;
  heldAtFrame_ = std::exchange(lineHeldAtFrame_, std::nullopt);
  heldSinceMs_ = platform::MillisecondClock();
  return !heldAtFrame_;
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
  if (origin.Source == CommandSource::Window || line.empty() || line.front() != '/') {
    RunGameCommand(line, origin, std::move(answer));
    return;
  }
  if (origin.Remote()) {
    EchoCommand(line, origin);
  }
  std::string text = RunServerCommand(line, origin);
  if (lineHeldAtFrame_) {
    return;
  }
  if (answer) {
    answer({std::move(text), false});
  } else {
    fw::TerminalWrite(text);
  }
}

void CServerDlg::EchoCommand(std::string_view command, const CommandOrigin& origin) {
  std::string echo;
  if (origin.Remote()) {
    echo = origin.Peer + ": ";
  } else {
    echo = "<< ";
    echo += fw::LoadStringOrEmpty(res::IDS_SERVER_SPEAKER);
    echo += " >>  ";
  }
  echo += command;
  PrintOperatorLine(echo);
}

std::optional<std::string> CServerDlg::NotCarriedOut(const EngineDelivery& delivery,
                                                     std::string_view refused,
                                                     std::uint64_t framesBefore) {
  switch (delivery.What) {
    case EngineDelivery::Outcome::Sent:
      return std::nullopt;
    case EngineDelivery::Outcome::NoEngine:
      return "The server is not running.\n";
    case EngineDelivery::Outcome::Busy:
      return "The engine is not answering; the action was not carried out.\n";
    case EngineDelivery::Outcome::Refused:
      break;
  }
  if (mayHoldLine_) {
    lineHeldAtFrame_ = framesBefore;
    return std::nullopt;
  }
  std::string text = "The engine refused ";
  text += refused;
  text += delivery.Reason.empty() ? "." : ": " + delivery.Reason;
  text += '\n';
  return text;
}

void CServerDlg::RunGameCommand(std::string_view line, const CommandOrigin& origin,
                                CommandAnswer answer) {
  // The game reads the command as a zero-terminated text of at most 119 bytes; the echo shows
  // what is sent, without a character that the cut would split.
  const std::string command(
      platform::CutAtCharacter(line.substr(0, line.find('\0')), kMaxConsoleCommand));
  if (session_.Engine() == nullptr || command.empty()) {
    if (origin.Remote()) {
      EchoCommand(command, origin);
    }
    if (answer) {
      answer({command.empty() ? "" : "The server is not running.\n", false});
    }
    return;
  }
  const std::uint64_t framesBefore = session_.FramesRun();
  const EngineDelivery delivery = SendConsoleCommand(session_, command);
  const std::optional<std::string> refusal = NotCarriedOut(delivery, "the command", framesBefore);
  if (lineHeldAtFrame_) {
    return;
  }
  EchoCommand(command, origin);
  std::vector<std::string> notes;
  if (command.size() < line.size()) {
    notes.push_back("The command was cut to the game's " + std::to_string(kMaxConsoleCommand) +
                    " bytes; the rest was not sent.\n");
  }
  // A busy engine has been reported in the console by the lock already.
  if (refusal && (answer || delivery.What != EngineDelivery::Outcome::Busy)) {
    notes.push_back(*refusal);
  }
  if (!answer) {
    for (const std::string& note : notes) {
      PrintConsoleLine(note, platform::Severity::Warning);
    }
    if (delivery) {
      answers_.Posted({}, framesBefore, platform::MillisecondClock());
    }
    return;
  }
  std::string told;
  for (const std::string& note : notes) {
    told += note;
  }
  if (!delivery) {
    answer({std::move(told), false});
    return;
  }
  if (!told.empty()) {
    answer = [told, answer = std::move(answer)](remote::CommandOutput output) {
      output.Text.insert(0, told);
      answer(std::move(output));
    };
  }
  answers_.Posted(std::move(answer), framesBefore, platform::MillisecondClock());
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
