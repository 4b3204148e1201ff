#include "config/RemoteOptions.h"

#include <sys/stat.h>

#include <cstdio>

#include "config/CommandLine.h"
#include "platform/RegularFile.h"

namespace vex {

namespace {

// Longer than any password that fits the protocol's largest packet.
constexpr std::size_t kLongestPasswordFile = 4096;

// One line of a file that only its owner should read; one final line break is not part of it.
RconPassword ReadSecretFile(const std::string& path, const std::string& what,
                            const std::string& kind) {
  RconPassword password;
  const platform::RegularFileOpening opened = platform::OpenRegularFile(path);
  struct stat info {};
  if (!opened.Stream || fstat(fileno(opened.Stream.get()), &info) != 0) {
    password.Error = "The " + what + " file " + path + " cannot be used: " +
                     (opened.Stream ? std::string("no status") : opened.Error) + ".";
    return password;
  }
  std::string text(kLongestPasswordFile + 1, '\0');
  text.resize(std::fread(text.data(), 1, text.size(), opened.Stream.get()));
  if (text.size() > kLongestPasswordFile) {
    password.Error = "The " + what + " file " + path + " is too long for " + kind + ".";
    return password;
  }
  if (!text.empty() && text.back() == '\n') {
    text.pop_back();
    if (!text.empty() && text.back() == '\r') {
      text.pop_back();
    }
  }
  if (text.empty()) {
    password.Error = "The " + what + " file " + path + " is empty.";
    return password;
  }
  if ((info.st_mode & (S_IRGRP | S_IROTH)) != 0) {
    password.Warning =
        "The " + what + " file " + path + " can be read by other users; chmod 600 it.";
  }
  password.Text = std::move(text);
  return password;
}

}  // namespace

RemoteOptions ParseRemoteOptions(const std::vector<std::string>& arguments) {
  const CommandLineOptions given(arguments);
  RemoteOptions options;
  for (const OptionRow& row : OptionTable()) {
    if (row.Owner == OptionOwner::Remote && given.MissingValue(row.Name)) {
      options.Error = std::string(row.Name) + " needs a value";
    }
  }
  options.RconPasswordFile = given.Value("-rconpassword-file");
  options.RconBind = given.Value("-rconbind").value_or("");
  options.WebBind = given.Value("-webbind").value_or(options.WebBind);
  options.MetricsBind = given.Value("-metricsbind").value_or(options.MetricsBind);
  options.MetricsTokenFile = given.Value("-metricstoken-file");
  options.WebHostNames = given.Names("-webhost");
  if (const std::optional<std::string> idle = given.Value("-rconidle")) {
    options.RconIdleSeconds = StrictSeconds(*idle);
  }
  const auto port = [&](const char* name) -> std::optional<std::uint16_t> {
    const std::optional<std::string> value = given.Value(name);
    if (!value) {
      return std::nullopt;
    }
    const std::optional<std::uint16_t> number = StrictPortNumber(*value);
    if (!number && options.Error.empty()) {
      options.Error =
          std::string(name) + " needs a port number from 0 to 65535, not \"" + *value + "\"";
    }
    return number;
  };
  options.RconPort = port("-rconport");
  options.QueryPort = port("-queryport");
  options.WebPort = port("-webport").value_or(options.WebPort);
  options.MetricsPort = port("-metricsport").value_or(options.MetricsPort);
  return options;
}

RconPassword ReadRconPassword(const RemoteOptions& options, const char* environmentValue) {
  if (!options.RconPasswordFile) {
    RconPassword password;
    password.Text = environmentValue != nullptr ? environmentValue : "";
    return password;
  }
  return ReadSecretFile(*options.RconPasswordFile, "RCON password", "a password");
}

RconPassword ReadMetricsToken(const RemoteOptions& options) {
  return options.MetricsTokenFile
             ? ReadSecretFile(*options.MetricsTokenFile, "metrics token", "a token")
             : RconPassword{};
}

}  // namespace vex
