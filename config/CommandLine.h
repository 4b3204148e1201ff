#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "config/OptionTable.h"
#include "engine/GameOptions.h"

namespace vex {

// The command line as each of its readers takes it. The game's options are read by its own two
// walks, each over the whole argument vector: the walk for the configuration's name knows only
// "-config", the walk for the options block only "-port" and "-name". Each takes an argument equal
// to one of its names (ignoring case) with the next one as its value, whatever that is, and skips
// every other argument alone; the last argument is never an option, since no value follows it. An
// argument either walk takes, as option or as value, belongs to the game. The program's and the
// remote services' options are read from the arguments left free, in one pass of the same rule;
// one whose value the game takes as its option is ignored. A repeated option takes its last
// value, but for a list of names, which gathers them all. Every other free argument is skipped
// alone, with a warning that names it.
class CommandLineOptions {
 public:
  // The process's arguments, the program's name first.
  explicit CommandLineOptions(std::span<const std::string> arguments);

  bool Has(std::string_view name) const;
  // The last value given, or nothing; a switch given with "=0" has "0", otherwise "1".
  std::optional<std::string> Value(std::string_view name) const;
  // Every usable name of a list option, in the order given: each value split at its commas.
  std::vector<std::string> Names(std::string_view name) const;
  // Given last, with no argument after it for its value.
  bool MissingValue(std::string_view name) const;
  // Unknown arguments, values out of their option's range, values that look like options: one
  // line each, without a "warning:" of their own.
  const std::vector<std::string>& Warnings() const { return warnings_; }

 private:
  struct Given {
    const OptionRow* Row;
    std::string Value;
    std::size_t At;  // the option's argument
  };
  struct Warning {
    std::size_t At;  // the argument it is about, to list the warnings in the command line's order
    std::string Text;
  };

  void ReadGameOptions(std::span<const std::string> arguments, std::vector<bool>& taken);
  void ReadFreeArguments(std::span<const std::string> arguments, const std::vector<bool>& taken);
  void Take(const OptionRow& row, std::span<const std::string> arguments,
            const std::vector<bool>& taken, std::size_t& i);
  void CheckValue(const Given& given, bool readAsOption);
  void CheckRepeats();
  void Warn(std::size_t at, std::string text);

  std::vector<Given> given_;
  const OptionRow* missingValue_ = nullptr;
  std::vector<Warning> pending_;
  std::vector<std::string> warnings_;
};

// A port number as the remote services read it: decimal digits only, 0 to 65535.
std::optional<std::uint16_t> StrictPortNumber(std::string_view text);

// Whole seconds as a limit of time is given: decimal digits only, 1 to a day.
std::optional<int> StrictSeconds(std::string_view text);

// Name mode: "-config" replaces the configuration name.
void ApplyCommandLine(std::span<const std::string> arguments, std::string& configName);

// Block mode: "-port" (decimal, low 16 bits) and "-name" (cut to 63 characters) override the
// block's port and server name.
void ApplyCommandLine(std::span<const std::string> arguments, CGameOptions& block);

// Decimal as the C library's atoi reads it (leading blanks, a sign, digits up to the first other
// character; 0 without digits), defined for every input: the low 16 bits of the written value.
std::uint16_t PortFromText(const char* text);

}  // namespace vex
