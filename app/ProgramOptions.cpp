#include "app/ProgramOptions.h"

#include <strings.h>

#include "config/CommandLine.h"

namespace vex {

ProgramOptions ParseProgramOptions(const std::vector<std::string>& arguments) {
  const std::vector<bool> gameArguments = GameOptionArguments(arguments);
  const auto isFree = [&](std::size_t i) { return i < arguments.size() && !gameArguments[i]; };

  ProgramOptions options;
  for (std::size_t i = 1; i < arguments.size(); ++i) {
    if (!isFree(i)) {
      continue;
    }
    const std::string& argument = arguments[i];
    if (argument == "--help" || argument == "-h") {
      options.Help = true;
    } else if (argument == "--version") {
      options.Version = true;
    } else if (strcasecmp(argument.c_str(), "-console") == 0) {
      options.Console = true;
    } else if (argument == "--check-config") {
      options.CheckConfig = true;
    } else if (strcasecmp(argument.c_str(), "-log") == 0) {
      if (isFree(i + 1)) {
        options.LogFile = arguments[++i];
      } else {
        options.Error = "-log needs a file name";
      }
    } else if (strcasecmp(argument.c_str(), "-timestamps") == 0 ||
               strcasecmp(argument.c_str(), "-timestamps=1") == 0) {
      options.Timestamps = true;
    } else if (strcasecmp(argument.c_str(), "-timestamps=0") == 0) {
      options.Timestamps = false;
    } else if (argument == "--dump-options") {
      if (isFree(i + 1)) {
        options.DumpOptionsFile = arguments[++i];
      } else {
        options.Error = "--dump-options needs a file name";
      }
    }
  }
  return options;
}

std::string UsageText(const std::string& program) {
  return "Usage: " + program +
         " [-config NAME] [-port N] [-name TEXT] [-console] [-log FILE] [-timestamps[=0]]\n"
         "       " +
         program +
         " --check-config -config NAME [-port N] [-name TEXT] [--dump-options FILE]\n"
         "\n"
         "Hosts one game from the server configuration VexMod\\ServerData\\NAME.txt of the game\n"
         "folder that is the working directory, and shows its status window.\n"
         "\n"
         "  -config NAME      the server configuration; without it the program asks for one\n"
         "  -port N           the UDP port to host on, instead of the configuration's\n"
         "  -name TEXT        the server name, instead of the configuration's\n"
         "  -console          run in the terminal instead of a window (also the case when\n"
         "                    there is no display)\n"
         "  -log FILE         append every console line to FILE with its time; SIGUSR1\n"
         "                    opens FILE again (after logrotate renamed it)\n"
         "  -timestamps[=0]   show the time before each terminal line (the default when\n"
         "                    standard output is not a terminal)\n"
         "  -rconpassword-file FILE  turn the remote console (Source RCON, TCP) on with the\n"
         "                    password in FILE; the variable VEX_RCON_PASSWORD does too\n"
         "  -rconport N       the remote console's TCP port (default: the game port)\n"
         "  -rconbind ADDR    the remote console's address (default: every interface)\n"
         "  -queryport N      the server query's UDP port (default: game port + 1; 0: off)\n"
         "  -webport N        serve the operator's web page on this TCP port, with the\n"
         "                    remote console's password (default: 0, off)\n"
         "  -webbind ADDR     the web page's address (default: 127.0.0.1)\n"
         "  -metricsport N    serve Prometheus metrics at /metrics on this TCP port\n"
         "                    (default: 0, off)\n"
         "  -metricsbind ADDR the metrics' address (default: 127.0.0.1)\n"
         "  -metricstoken-file FILE  ask every scrape for the bearer token in FILE\n"
         "  --check-config    read and check the configuration, print a summary, host nothing;\n"
         "                    exits with 0, or with the error's number (10 to 13)\n"
         "  --dump-options FILE  with --check-config: write the engine's options block to FILE\n"
         "  --help            show this text\n"
         "  --version         show the program's version\n"
         "\n"
         "In the terminal, lines typed are game commands; /help lists the server's own.\n";
}

}  // namespace vex
