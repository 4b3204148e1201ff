#include "config/CommandLine.h"

#include <strings.h>

#include <algorithm>
#include <cctype>
#include <cstdint>

#include "config/FixedText.h"

namespace vex {
namespace {

// onOption(i) answers whether argument i was an option taking argument i + 1 as its value.
template <typename OnOption>
void WalkOptions(std::span<const std::string> arguments, OnOption onOption) {
  std::size_t i = 1;
  while (i + 1 < arguments.size()) {
    i += onOption(i) ? 2 : 1;
  }
}

bool IsNameModeOption(const char* argument) {
  return strcasecmp(argument, "-config") == 0;
}

bool IsBlockModeOption(const char* argument) {
  return strcasecmp(argument, "-port") == 0 || strcasecmp(argument, "-name") == 0;
}

}  // namespace

std::vector<bool> GameOptionArguments(std::span<const std::string> arguments) {
  std::vector<bool> taken(arguments.size(), false);
  for (const auto isOption : {IsNameModeOption, IsBlockModeOption}) {
    WalkOptions(arguments, [&](std::size_t i) {
      if (!isOption(arguments[i].c_str())) {
        return false;
      }
      taken[i] = true;
      taken[i + 1] = true;
      return true;
    });
  }
  return taken;
}

std::uint16_t PortFromText(const char* text) {
  const unsigned char* p = reinterpret_cast<const unsigned char*>(text);
  while (std::isspace(*p)) {
    ++p;
  }
  bool negative = false;
  if (*p == '+' || *p == '-') {
    negative = *p == '-';
    ++p;
  }
  // Unsigned arithmetic wraps instead of overflowing, and its low 16 bits are those of the
  // written number however long it is.
  std::uint32_t value = 0;
  while (std::isdigit(*p)) {
    value = value * 10u + static_cast<std::uint32_t>(*p - '0');
    ++p;
  }
  return static_cast<std::uint16_t>(negative ? 0u - value : value);
}

void ApplyCommandLine(std::span<const std::string> arguments, std::string& configName) {
  WalkOptions(arguments, [&](std::size_t i) {
    if (!IsNameModeOption(arguments[i].c_str())) {
      return false;
    }
    configName = arguments[i + 1];
    return true;
  });
}

void ApplyCommandLine(std::span<const std::string> arguments, CGameOptions& block) {
  WalkOptions(arguments, [&](std::size_t i) {
    if (strcasecmp(arguments[i].c_str(), "-port") == 0) {
      block.PortID = PortFromText(arguments[i + 1].c_str());
      return true;
    }
    if (strcasecmp(arguments[i].c_str(), "-name") == 0) {
      WriteFixedText(block.ServName, arguments[i + 1]);
      return true;
    }
    return false;
  });
}

}  // namespace vex
