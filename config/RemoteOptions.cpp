#include "config/RemoteOptions.h"

#include <strings.h>
#include <sys/stat.h>

#include <charconv>
#include <cstdio>

#include "config/CommandLine.h"
#include "platform/RegularFile.h"

namespace vex {

namespace {

// Longer than any password that fits the protocol's largest packet.
constexpr std::size_t kLongestPasswordFile = 4096;

std::optional<std::uint16_t> ParsePort(const std::string& text) {
  unsigned value = 0;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (text.empty() || error != std::errc{} || end != text.data() + text.size() || value > 65535) {
    return std::nullopt;
  }
  return static_cast<std::uint16_t>(value);
}

bool Is(const std::string& argument, const char* name) {
  return strcasecmp(argument.c_str(), name) == 0;
}

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
  RemoteOptions options;
  const auto fail = [&](const std::string& message) {
    if (options.Error.empty()) {
      options.Error = message;
    }
  };
  // What the game's own options take is never read as one of these, nor as their value.
  const std::vector<bool> gameArguments = GameOptionArguments(arguments);
  const auto isFree = [&](std::size_t i) { return i < arguments.size() && !gameArguments[i]; };
  for (std::size_t i = 1; i < arguments.size(); ++i) {
    const std::string& option = arguments[i];
    const bool ours = Is(option, "-rconpassword-file") || Is(option, "-rconport") ||
                      Is(option, "-rconbind") || Is(option, "-queryport") ||
                      Is(option, "-webport") || Is(option, "-webbind") ||
                      Is(option, "-metricsport") || Is(option, "-metricsbind") ||
                      Is(option, "-metricstoken-file");
    if (!isFree(i) || !ours) {
      continue;
    }
    if (!isFree(i + 1)) {
      fail(option + " needs a value");
      break;
    }
    const std::string& value = arguments[++i];
    if (Is(option, "-rconpassword-file")) {
      options.RconPasswordFile = value;
    } else if (Is(option, "-rconbind")) {
      options.RconBind = value;
    } else if (Is(option, "-webbind")) {
      options.WebBind = value;
    } else if (Is(option, "-metricsbind")) {
      options.MetricsBind = value;
    } else if (Is(option, "-metricstoken-file")) {
      options.MetricsTokenFile = value;
    } else if (const auto port = ParsePort(value)) {
      if (Is(option, "-webport")) {
        options.WebPort = *port;
      } else if (Is(option, "-metricsport")) {
        options.MetricsPort = *port;
      } else {
        (Is(option, "-rconport") ? options.RconPort : options.QueryPort) = *port;
      }
    } else {
      fail(option + " needs a port number from 0 to 65535, not \"" + value + "\"");
    }
  }
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
