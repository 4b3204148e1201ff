#include <chrono>
#include <string>
#include <string_view>

#include "framework/Controls.h"
#include "framework/MessageBox.h"
#include "framework/StringTable.h"
#include "framework/TerminalStyle.h"
#include "platform/Clock.h"
#include "res/Resource.h"
#include "ui/ServerDlg.h"

namespace vex {

namespace {

constexpr std::string_view kStopUnderWay = "A stop is already under way.";

}  // namespace

void CServerDlg::OnCancel() {
  if (stopWaiting_) {
    PrintConsoleLine(kStopUnderWay);  // the stop under way ends the window
    return;
  }
  if (confirmOnStop_.load() && session_.Engine() != nullptr &&
      fw::AfxMessageBox(fw::LoadStringOrEmpty(res::IDS_CONFIRM_STOP),
                        fw::MessageBoxStyle::YesNoQuestion) != fw::IDYES) {
    return;
  }
  BeginStop();
}

// A remote stop is already confirmed, as a stop signal is: nobody may be at the window to
// answer a question, and a question's own event loop must never run under a network handler.
std::string CServerDlg::StopOnRequest(const CommandOrigin& origin) {
  if (stopRequested_ || stopWaiting_) {
    // On the console too, so that the log keeps what the one who asked was told.
    PrintConsoleLine(kStopUnderWay);
    return origin.Remote() ? std::string(kStopUnderWay) + '\n' : std::string();
  }
  if (!origin.Remote()) {
    OnCommand(res::IDC_STOP_SERVER);
    return {};
  }
  stopRequested_ = true;
  PrintConsoleLine("Stopping the server, as " + origin.Peer + " asked.");
  // The answer goes out before the stop, which waits for the engine and ends the event loop.
  PostTask([this] {
    confirmOnStop_ = false;
    // The window's own stop question may be open, its loop running under this task: answered
    // yes, the stop it asked about runs as the question returns.
    if (!fw::AnswerOpenQuestion()) {
      OnCancel();
    }
  });
  return "Stopping the server.\n";
}

void CServerDlg::OnStopSignal() {
  if (stopWaiting_) {
    EndWithoutWaiting();
    return;
  }
  OnCancel();
}

// A frame under way mostly ends within the first wait; a longer one is waited for from the
// refresh timer, so that the window keeps drawing and a second stop signal is heard.
void CServerDlg::BeginStop() {
  if (session_.Engine() != nullptr) {
    service_.StopBegins(std::chrono::milliseconds(kThreadStopTimeoutMs));
  }
  session_.AskThreadToStop();
  if (session_.WaitForThread(kLongestFrameWaitMs)) {
    FinishStop();
    return;
  }
  stopWaiting_ = true;
  const fw::TerminalStyleScope warning(fw::TerminalStyle::Warning);
  PrintConsoleLine(
      "Waiting up to 5 seconds for the engine to finish its frame (a second stop signal ends the "
      "server at once)...");
}

void CServerDlg::ContinueStop() {
  if (session_.WaitForThread(0) || session_.StopWaitLeftMs() == 0) {
    FinishStop();
  }
}

void CServerDlg::FinishStop() {
  stopWaiting_ = false;
  session_.Stop();
  SayStoppedIfOwed();
  answers_.FinishAll();
  AnswerRemoteAtStop();
  EndDialog(fw::IDCANCEL);
}

void CServerDlg::EndWithoutWaiting() {
  stopWaiting_ = false;
  stoppedWithoutWaiting_ = true;
  PrintConsoleLine("A second stop signal: the server ends without waiting for the engine.");
  session_.StopWithoutWaiting();
  SayStoppedIfOwed();
  answers_.FinishAll();
  AnswerRemoteAtStop();
  EndDialog(fw::IDCANCEL);
}

void CServerDlg::StopSession() {
  if (session_.Engine() != nullptr) {
    service_.StopBegins(std::chrono::milliseconds(kThreadStopTimeoutMs));
  }
  stopWaiting_ = false;
  session_.Stop();
  SayStoppedIfOwed();
  answers_.FinishAll();
}

// The session says "Server stopped." when it stops a running game; one stopped before its game
// ran (a start that failed after the engine was made) is said to have stopped here.
void CServerDlg::SayStoppedIfOwed() {
  if (stoppedLineOwed_.load()) {
    PrintConsoleLineById(res::IDS_STOPPED);
  }
}

// The window still serves them while it ends: a second stop is told that this one is under way,
// a game command that the server no longer runs.
void CServerDlg::AnswerRemoteAtStop() {
  stopRequested_ = true;
  remote_.RunAllSent();
}

void CServerDlg::ClearShownPlayers() {
  Control<fw::CListCtrl>(res::IDC_PLAYER_LIST).DeleteAllItems();
  UpdateSelectionButtons(res::IDC_PLAYER_LIST);
  display_.Players.clear();
  display_.ShownRows.clear();
  display_.PlayerCount = 0;
  display_.AveragePing = 0;
  display_.PlayersText = "0/" + std::to_string(display_.MaxPlayerCount);
  UpdateData(false);
}

void CServerDlg::ReportEngineResponse() {
  const std::optional<std::string> line = engineWatch_.Tick(
      session_.LastFrameEnd(), EngineResponseWatch::Clock::now(), platform::CalendarSeconds());
  if (line) {
    const fw::TerminalStyleScope warning(fw::TerminalStyle::Warning);
    PrintConsoleLine(*line);
  }
}

}  // namespace vex
