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
void WalkOptions(int argc, OnOption onOption) {
  int i = 1;
  while (i + 1 < argc) {
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

std::vector<bool> GameOptionArguments(int argc, const char* const* argv) {
  std::vector<bool> taken(static_cast<std::size_t>(std::max(argc, 0)), false);
  for (const auto isOption : {IsNameModeOption, IsBlockModeOption}) {
    WalkOptions(argc, [&](int i) {
      if (!isOption(argv[i])) {
        return false;
      }
      taken[static_cast<std::size_t>(i)] = true;
      taken[static_cast<std::size_t>(i) + 1] = true;
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

void ApplyCommandLine(int argc, const char* const* argv, std::string& configName) {
  WalkOptions(argc, [&](int i) {
    if (!IsNameModeOption(argv[i])) {
      return false;
    }
    configName = argv[i + 1];
    return true;
  });
}

void ApplyCommandLine(int argc, const char* const* argv, CGameOptions& block) {
  WalkOptions(argc, [&](int i) {
    if (strcasecmp(argv[i], "-port") == 0) {
      block.PortID = PortFromText(argv[i + 1]);
      return true;
    }
    if (strcasecmp(argv[i], "-name") == 0) {
      WriteFixedText(block.ServName, argv[i + 1]);
      return true;
    }
    return false;
  });
}

}  // namespace vex
