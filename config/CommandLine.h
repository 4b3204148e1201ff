#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "engine/GameOptions.h"

namespace vex {

// The game's own options. An option is an argument equal to its name ignoring case, followed by
// a value; the last argument is never an option, and an argument that is not one is skipped
// alone. A repeated option takes its last value; values are taken unchanged.

// For each argument, whether the walk of either mode takes it, as an option or as an option's
// value. Only the other arguments are free for the program's own options, so the program and
// the game never read one argument two ways.
std::vector<bool> GameOptionArguments(std::span<const std::string> arguments);

// Name mode: "-config" replaces the configuration name.
void ApplyCommandLine(std::span<const std::string> arguments, std::string& configName);

// Block mode: "-port" (decimal, low 16 bits) and "-name" (cut to 63 characters) override the
// block's port and server name.
void ApplyCommandLine(std::span<const std::string> arguments, CGameOptions& block);

// Decimal as the C library's atoi reads it (leading blanks, a sign, digits up to the first other
// character; 0 without digits), defined for every input: the low 16 bits of the written value.
std::uint16_t PortFromText(const char* text);

}  // namespace vex
