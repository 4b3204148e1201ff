#include "app/ServerApp.h"

#include <unistd.h>

#include "framework/StringTable.h"
#include "framework/TerminalStyle.h"
#include "res/Resource.h"
#include "ui/ServerDlg.h"

namespace vex {

namespace {
constexpr int kFatalExitCode = 1;
// A second stop signal ended the server without waiting for the engine: it was not released.
constexpr int kStoppedWithoutWaitingExitCode = 3;
constexpr std::uint32_t kLastTerminalFlushMs = 1000;
}  // namespace

CServerApp::CServerApp(std::vector<std::string> arguments)
    : fw::CWinApp("VexServer"), arguments_(std::move(arguments)) {}

bool CServerApp::InitInstance() {
  return true;
}

int CServerApp::Run() {
  CServerDlg window(arguments_);
  window.SetConsoleLog(consoleLog_.get());
  SetMainWindow(&window);
  {
    const std::lock_guard lock(endMutex_);
    window_ = &window;
  }
  const int result = window.DoModal();
  {
    const std::lock_guard lock(endMutex_);
    window_ = nullptr;
  }
  SetMainWindow(nullptr);
  // A supervisor must tell a failure from the operator's stop, which both end the window the
  // same way.
  if (window.FatalReported()) {
    return window.GameHosted() ? kFatalExitCode : kStartFailedExitCode;
  }
  return window.StoppedWithoutWaiting() ? kStoppedWithoutWaitingExitCode : result;
}

void CServerApp::OnReopenSignal() {
  if (consoleLog_) {
    consoleLog_->Reopen();
  }
}

// The log's own thread still holds the last lines ("Server stopped."); ending the log writes them.
void CServerApp::OnAbruptEnd() {
  const std::lock_guard lock(endMutex_);
  if (auto* window = dynamic_cast<CServerDlg*>(MainWindow())) {
    window->SetConsoleLog(nullptr);
  }
  consoleLog_.reset();
}

// The window thread is inside a call that does not return (an engine call while the server
// starts), so no console line can go through the window: the last ones are written here, and the
// process ends as a second stop signal during the wait for a hung frame ends it.
void CServerApp::OnStopSignalUntaken(int received) {
  const std::lock_guard lock(endMutex_);
  if (received < 2) {
    fw::WriteDiagnostic(platform::Severity::Warning,
                        "vexserver: the server is held up and cannot stop now; a second stop "
                        "signal ends it at once, without waiting.");
    return;
  }
  std::string lines = "A second stop signal: the server ends without waiting for the engine.\n";
  if (window_ != nullptr && window_->StoppedLineOwed()) {
    lines += fw::LoadStringOrEmpty(res::IDS_STOPPED);
    lines += '\n';
  }
  fw::TerminalWrite(lines);
  if (consoleLog_) {
    consoleLog_->Append(lines);
    consoleLog_->WaitUntilWritten(platform::LogFile::kLastFlush);
  }
  fw::FlushTerminal(kLastTerminalFlushMs);
  _exit(kStoppedWithoutWaitingExitCode);
}

}  // namespace vex
