#include "tools/vexclient/ClientOptions.h"

#include <charconv>
#include <string_view>

namespace vex::tools {

namespace {

bool ReadNumber(std::string_view text, int low, int high, int& out) {
  int value = 0;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (text.empty() || error != std::errc() || end != text.data() + text.size() || value < low ||
      value > high) {
    return false;
  }
  out = value;
  return true;
}

}  // namespace

std::optional<ClientOptions> ParseClientOptions(int argc, const char* const* argv,
                                                std::string& error) {
  ClientOptions options;
  bool haveAddress = false;
  for (int i = 1; i < argc; ++i) {
    const std::string_view argument = argv[i];
    const auto value = [&](std::string_view& out) {
      if (i + 1 >= argc) {
        error = std::string(argument) + " needs a value";
        return false;
      }
      out = argv[++i];
      return true;
    };
    std::string_view text;
    if (argument == "--help" || argument == "-h") {
      options.Help = true;
      return options;
    }
    if (argument == "--chat") {
      options.Chat = true;
    } else if (argument == "-n") {
      if (!value(text) || !ReadNumber(text, 1, kMaxClientPlayers, options.Players)) {
        error = "-n takes a number of players from 1 to " + std::to_string(kMaxClientPlayers);
        return std::nullopt;
      }
    } else if (argument == "--seconds") {
      if (!value(text) || !ReadNumber(text, 0, kMaxClientSeconds, options.Seconds)) {
        error = "--seconds takes a number from 0 to " + std::to_string(kMaxClientSeconds);
        return std::nullopt;
      }
    } else if (argument == "--name") {
      if (!value(text)) {
        return std::nullopt;
      }
      options.NamePrefix = text;
    } else if (argument == "--password") {
      if (!value(text)) {
        return std::nullopt;
      }
      options.Password = text;
    } else if (!argument.empty() && argument.front() == '-') {
      error = "unknown option " + std::string(argument);
      return std::nullopt;
    } else if (haveAddress) {
      error = "one server address only";
      return std::nullopt;
    } else {
      const std::size_t colon = argument.rfind(':');
      if (colon == std::string_view::npos || colon == 0 ||
          !ReadNumber(argument.substr(colon + 1), 1, 65535, options.Port)) {
        error = "the server address must be HOST:PORT, not " + std::string(argument);
        return std::nullopt;
      }
      options.Host = argument.substr(0, colon);
      haveAddress = true;
    }
  }
  if (!haveAddress) {
    error = "no server address (HOST:PORT)";
    return std::nullopt;
  }
  return options;
}

}  // namespace vex::tools
