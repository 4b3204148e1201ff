#include "app/ServerApp.h"

#include "ui/ServerDlg.h"

namespace vex {

namespace {
constexpr int kFatalExitCode = 1;
// A second stop signal while the stop still waited for the engine: the engine was not released.
constexpr int kStoppedWithoutWaitingExitCode = 3;
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
  const int result = window.DoModal();
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
  if (auto* window = dynamic_cast<CServerDlg*>(MainWindow())) {
    window->SetConsoleLog(nullptr);
  }
  consoleLog_.reset();
}

}  // namespace vex
