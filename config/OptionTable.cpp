#include "config/OptionTable.h"

#include <array>

namespace vex {

namespace {

using enum OptionOwner;
using enum OptionValue;

constexpr auto kOptions = std::to_array<OptionRow>({
    {"-config", Text, "NAME", Game,
     "the server configuration VexMod/ServerData/NAME.txt; without it the program asks for one"},
    {"-port", Port, "N", Game, "the UDP port to host on, instead of the configuration's"},
    {"-name", Text, "TEXT", Game, "the server name, instead of the configuration's"},
    {"-console", None, "", Program,
     "run in the terminal instead of a window (also the case when there is no display)"},
    {"-log", Text, "FILE", Program,
     "append every console line to FILE with its time; SIGUSR1 opens FILE again (after "
     "logrotate renamed it)"},
    {"-timestamps", OnOff, "", Program,
     "show the time before each terminal line (the default when standard output is not a "
     "terminal); -timestamps=0 turns it off"},
    {"--check-config", None, "", Program,
     "read and check the configuration, print a summary, host nothing; exits with 0, or with "
     "the error's number (10 to 13)"},
    {"--dump-options", Text, "FILE", Program,
     "with --check-config: write the engine's options block to FILE"},
    {"--help", None, "", Program, "show this text", "-h"},
    {"--version", None, "", Program, "show the program's version"},
    {"-rconpassword-file", Text, "FILE", Remote,
     "turn the remote console (Source RCON, TCP) on with the password in FILE; the variable "
     "VEX_RCON_PASSWORD does too"},
    {"-rconport", Port, "N", Remote, "the remote console's TCP port (default: the game port)"},
    {"-rconbind", Text, "ADDR", Remote, "the remote console's address (default: every interface)"},
    {"-rconidle", Seconds, "SECONDS", Remote,
     "close a signed-in remote console client silent this long, 1 to 86400 (default: 600, 10 "
     "minutes)"},
    {"-queryport", Port, "N", Remote,
     "the server query's UDP port (default: game port + 1; 0: off)"},
    {"-webport", Port, "N", Remote,
     "serve the operator's web page on this TCP port, with the remote console's password "
     "(default: 0, off)"},
    {"-webbind", Text, "ADDR", Remote, "the web page's address (default: 127.0.0.1)"},
    {"-webhost", Names, "NAME[,NAME]", Remote,
     "a host name the web page answers to besides its addresses and localhost, such as a "
     "proxy's; may be given again"},
    {"-metricsport", Port, "N", Remote,
     "serve Prometheus metrics at /metrics on this TCP port (default: 0, off)"},
    {"-metricsbind", Text, "ADDR", Remote, "the metrics' address (default: 127.0.0.1)"},
    {"-metricstoken-file", Text, "FILE", Remote, "ask every scrape for the bearer token in FILE"},
});

}  // namespace

std::span<const OptionRow> OptionTable() {
  return kOptions;
}

}  // namespace vex
