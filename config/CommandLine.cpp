#include "config/CommandLine.h"

#include <strings.h>

#include <cctype>
#include <cstdint>

#include "config/FixedText.h"

namespace vex {
namespace {

// onOption(argument, next argument) answers whether the argument was an option taking the next.
template <typename OnOption>
void WalkOptions(int argc, const char* const* argv, OnOption onOption) {
  int i = 1;
  while (i + 1 < argc) {
    i += onOption(argv[i], argv[i + 1]) ? 2 : 1;
  }
}

}  // namespace

bool IsGameOption(const char* argument) {
  return strcasecmp(argument, "-config") == 0 || strcasecmp(argument, "-port") == 0 ||
         strcasecmp(argument, "-name") == 0;
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
  WalkOptions(argc, argv, [&](const char* option, const char* value) {
    if (strcasecmp(option, "-config") == 0) {
      configName = value;
      return true;
    }
    return false;
  });
}

void ApplyCommandLine(int argc, const char* const* argv, CGameOptions& block) {
  WalkOptions(argc, argv, [&](const char* option, const char* value) {
    if (strcasecmp(option, "-port") == 0) {
      block.PortID = PortFromText(value);
      return true;
    }
    if (strcasecmp(option, "-name") == 0) {
      WriteFixedText(block.ServName, value);
      return true;
    }
    return false;
  });
}

}  // namespace vex
