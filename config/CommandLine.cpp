#include "config/CommandLine.h"

#include <cctype>
#include <cstdint>
#include <string_view>

#include "config/FixedText.h"

namespace vex {
namespace {

bool SameIgnoringCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) {
    return false;
  }
  for (std::size_t i = 0; i < a.size(); ++i) {
    if (std::tolower(static_cast<unsigned char>(a[i])) !=
        std::tolower(static_cast<unsigned char>(b[i]))) {
      return false;
    }
  }
  return true;
}

// onOption(argument, next argument) answers whether the argument was an option taking the next.
template <typename OnOption>
void WalkOptions(int argc, const char* const* argv, OnOption onOption) {
  int i = 1;
  while (i + 1 < argc) {
    i += onOption(std::string_view(argv[i]), argv[i + 1]) ? 2 : 1;
  }
}

}  // namespace

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
  WalkOptions(argc, argv, [&](std::string_view option, const char* value) {
    if (SameIgnoringCase(option, "-config")) {
      configName = value;
      return true;
    }
    return false;
  });
}

void ApplyCommandLine(int argc, const char* const* argv, CGameOptions& block) {
  WalkOptions(argc, argv, [&](std::string_view option, const char* value) {
    if (SameIgnoringCase(option, "-port")) {
      block.PortID = PortFromText(value);
      return true;
    }
    if (SameIgnoringCase(option, "-name")) {
      WriteFixedText(block.ServName, value);
      return true;
    }
    return false;
  });
}

}  // namespace vex
