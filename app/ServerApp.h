#pragma once

#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "framework/Application.h"
#include "platform/LogFile.h"

namespace vex {

class CServerDlg;

// The application: shows the status window modally for the life of the process.
class CServerApp : public fw::CWinApp {
 public:
  // The server could not start: the engine module, the configuration, the game port or the log
  // file. Trying again changes nothing until the operator does, so a service manager must not.
  static constexpr int kStartFailedExitCode = 4;

  explicit CServerApp(std::vector<std::string> arguments);

  // The status window's console lines go to this log too.
  void SetConsoleLog(std::unique_ptr<platform::LogFile> log) { consoleLog_ = std::move(log); }
  void OnReopenSignal() override;
  void OnAbruptEnd() override;
  void OnStopSignalUntaken(int received) override;

 protected:
  bool InitInstance() override;
  int Run() override;

 private:
  std::vector<std::string> arguments_;
  std::unique_ptr<platform::LogFile> consoleLog_;
  // Guards window_ and the log against the thread that ends a process whose window thread is
  // held up.
  std::mutex endMutex_;
  CServerDlg* window_ = nullptr;  // while its modal loop may run
};

}  // namespace vex
