#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace vex {

// The values of the remote console's, the server query's, the web page's and the metrics' options
// (their rows in the option table). The password itself never goes on the command line, where every
// user of the machine can read it.
struct RemoteOptions {
  std::optional<std::string> RconPasswordFile;
  std::optional<std::uint16_t> RconPort;
  std::string RconBind;
  // A value out of range is left out here; the command line's warnings name it.
  std::optional<int> RconIdleSeconds;
  std::optional<std::uint16_t> QueryPort;
  std::uint16_t WebPort = 0;
  std::string WebBind = "127.0.0.1";
  std::vector<std::string> WebHostNames;
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
