#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace vex {

// The options of the remote console and the server query:
//   -rconpassword-file FILE  turns the remote console on (so does VEX_RCON_PASSWORD)
//   -rconport N              its TCP port, the game port when absent
//   -rconbind ADDR           its address, every interface when absent
//   -queryport N             the server query's UDP port, the game port + 1 when absent; 0 is off
//   -webport N               the operator's web page's TCP port; 0 (the default) is off
//   -webbind ADDR            its address, this machine only (127.0.0.1) when absent
//   -metricsport N           the Prometheus metrics' TCP port; 0 (the default) is off
//   -metricsbind ADDR        its address, this machine only (127.0.0.1) when absent
//   -metricstoken-file FILE  a bearer token that every scrape must carry
// The password itself never goes on the command line, where every user of the machine can read
// it. Each option takes the next argument as its value, whatever it is, unless the game's own
// options (-config, -port, -name) take either of them.
struct RemoteOptions {
  std::optional<std::string> RconPasswordFile;
  std::optional<std::uint16_t> RconPort;
  std::string RconBind;
  std::optional<std::uint16_t> QueryPort;
  std::uint16_t WebPort = 0;
  std::string WebBind = "127.0.0.1";
  std::uint16_t MetricsPort = 0;
  std::string MetricsBind = "127.0.0.1";
  std::optional<std::string> MetricsTokenFile;
  std::string Error;  // the first option given without a usable value
};

RemoteOptions ParseRemoteOptions(const std::vector<std::string>& arguments);

struct RconPassword {
  std::string Text;     // empty: the remote console stays off
  std::string Error;    // the file could not be used
  std::string Warning;  // the file can be read by other users
};

// From the file when one is named, else from the environment's value (null when unset). The file
// must be a regular file; one final line break is not part of the password.
RconPassword ReadRconPassword(const RemoteOptions& options, const char* environmentValue);

// The metrics' token from its file, read as the password file is; empty Text without a file.
RconPassword ReadMetricsToken(const RemoteOptions& options);

}  // namespace vex
