#pragma once

#include <cstdlib>

#include "framework/Application.h"
#include "framework/console/ConsoleBackEnd.h"

namespace vex::fuzz {

// Starts the console back-end once for the fuzzer's process, as the server runs without a
// display, with the terminal and the stop signals left to libFuzzer. libFuzzer ends a run with
// exit(), so the harness's own objects are torn down by an exit handler registered after the
// back-end's, which runs first: the back-end must outlive the sessions that use it.
template <typename Harness>
Harness& WithConsoleBackEnd() {
  static fw::CWinApp* app = nullptr;
  static Harness* harness = nullptr;
  if (harness == nullptr) {
    fw::ConsoleOptions options;
    options.ReadTerminal = false;
    options.CatchStopSignals = false;
    fw::SetConsoleOptions(options);
    static char programName[] = "vex_fuzz";
    static char* arguments[] = {programName, nullptr};
    app = new fw::CWinApp("VexServer");
    app->StartBackEnd(1, arguments, fw::FrontEnd::Console);
    harness = new Harness();
    std::atexit([] {
      delete harness;
      delete app;
    });
  }
  return *harness;
}

}  // namespace vex::fuzz
