#include <unistd.h>

#include <csignal>
#include <cstdio>
#include <string>
#include <vector>

#include "app/ConfigCheck.h"
#include "app/ProgramOptions.h"
#include "app/ServerApp.h"
#include "framework/TerminalStyle.h"
#include "framework/VisibleText.h"
#include "platform/LogFile.h"

namespace {
// The command line was not as meant (EX_USAGE): an option without its value, or for
// --check-config any argument that drew a warning.
constexpr int kCommandLineExitCode = 64;
}  // namespace

int main(int argc, char** argv) {
  // A reader of standard output that has gone must cost the output only, never the game: writes
  // then fail with EPIPE instead of ending the process.
  std::signal(SIGPIPE, SIG_IGN);
  // A file grown past the size limit fails its write, which the log and the check say, instead
  // of ending the process.
  std::signal(SIGXFSZ, SIG_IGN);
  const std::vector<std::string> arguments(argv, argv + argc);
  const vex::ProgramOptions options = vex::ParseProgramOptions(arguments);
  for (const std::string& warning : options.Warnings) {
    vex::fw::WriteDiagnostic(vex::platform::Severity::Warning, "vexserver: warning: " + warning);
  }
  if (options.Help) {
    const std::string usage = vex::UsageText(arguments.empty() ? "vexserver" : arguments[0]);
    std::fputs(vex::fw::VisibleText(usage, vex::fw::LineFeeds::Keep).c_str(), stdout);
    return 0;
  }
  if (options.Version) {
    std::printf("VexServer %s\n", VEX_VERSION);
    return 0;
  }
  if (!options.Error.empty()) {
    vex::fw::WriteDiagnostic(vex::platform::Severity::Error, "vexserver: " + options.Error);
    return kCommandLineExitCode;
  }
  if (options.CheckConfig) {
    // A run skips what it warned of and hosts anyway; the check refuses it, so that a service
    // does not start on the configuration's port because of a misspelt -port.
    const int result = vex::RunConfigCheck(arguments, options.DumpOptionsFile);
    if (result == 0 && !options.Warnings.empty()) {
      vex::fw::WriteDiagnostic(vex::platform::Severity::Error,
                               "vexserver: the command line drew a warning; the check fails");
      return kCommandLineExitCode;
    }
    return result;
  }
  if (geteuid() == 0) {
    vex::fw::WriteDiagnostic(vex::platform::Severity::Warning,
                             "vexserver: warning: running as root: the engine module, and whoever "
                             "can change it or the game folder, can do anything on this machine; "
                             "run the server as a user of its own (the package's unit runs it as "
                             "the user vexserver)");
  }
  vex::CServerApp app(arguments);
  if (options.LogFile) {
    std::string error;
    std::unique_ptr<vex::platform::LogFile> log =
        vex::platform::LogFile::Open(*options.LogFile, error, [](const std::string& problem) {
          vex::fw::WriteDiagnostic(vex::platform::Severity::Warning, "vexserver: " + problem);
        });
    if (!log) {
      vex::fw::WriteDiagnostic(
          vex::platform::Severity::Error,
          "vexserver: cannot open the log file " + *options.LogFile + ": " + error);
      return vex::CServerApp::kStartFailedExitCode;
    }
    app.SetConsoleLog(std::move(log));
  }
  // A pipe or the journal keeps lines without their time; a terminal's reader sees it.
  vex::fw::SetTerminalTimestamps(options.Timestamps.value_or(isatty(STDOUT_FILENO) != 1));
  return app.Start(argc, argv, vex::fw::ChooseFrontEnd(options.Console));
}
