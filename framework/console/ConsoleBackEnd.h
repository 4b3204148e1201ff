#pragma once

#include <memory>

namespace vex::fw {

class IBackEnd;

struct ConsoleOptions {
  // Standard input (or terminalFd) is read line by line and handed to the open dialog.
  bool readTerminal = true;
  int terminalFd = 0;
  // SIGINT, SIGTERM and SIGHUP post IDCANCEL to the open dialog.
  bool catchStopSignals = true;
};

// Options for console back-ends created from now on (tests turn the terminal off).
void SetConsoleOptions(const ConsoleOptions& options);

std::unique_ptr<IBackEnd> CreateConsoleBackEnd(int& argc, char** argv);

}  // namespace vex::fw
