#include <chrono>

#include "framework/MessageBox.h"
#include "framework/StringTable.h"
#include "framework/TerminalStyle.h"
#include "platform/Clock.h"
#include "res/Resource.h"
#include "ui/ServerDlg.h"

namespace vex {

void CServerDlg::OnCancel() {
  if (stopWaiting_) {
    return;  // the stop under way ends the window
  }
  if (confirmOnStop_.load() && session_.Engine() != nullptr &&
      fw::AfxMessageBox(fw::LoadStringOrEmpty(res::IDS_CONFIRM_STOP),
                        fw::MessageBoxStyle::YesNoQuestion) != fw::IDYES) {
    return;
  }
  BeginStop();
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
  answers_.FinishAll();
  EndDialog(fw::IDCANCEL);
}

void CServerDlg::EndWithoutWaiting() {
  stopWaiting_ = false;
  stoppedWithoutWaiting_ = true;
  PrintConsoleLine("A second stop signal: the server ends without waiting for the engine.");
  session_.StopWithoutWaiting();
  answers_.FinishAll();
  EndDialog(fw::IDCANCEL);
}

void CServerDlg::StopSession() {
  if (session_.Engine() != nullptr) {
    service_.StopBegins(std::chrono::milliseconds(kThreadStopTimeoutMs));
  }
  stopWaiting_ = false;
  session_.Stop();
  answers_.FinishAll();
}

void CServerDlg::ReportEngineResponse(RefreshOutcome outcome) {
  const std::optional<std::string> line =
      engineWatch_.Tick(outcome, EngineResponseWatch::Clock::now(), platform::CalendarSeconds());
  if (line) {
    const fw::TerminalStyleScope warning(fw::TerminalStyle::Warning);
    PrintConsoleLine(*line);
  }
}

}  // namespace vex
