#pragma once

#include <optional>
#include <string>
#include <vector>

namespace vex {

// The values of the program's own options (their rows in the option table).
struct ProgramOptions {
  bool Help = false;
  bool Version = false;
  bool Console = false;
  bool CheckConfig = false;
  std::optional<std::string> DumpOptionsFile;
  std::optional<std::string> LogFile;
  // Times before terminal lines; unset: only when standard output is not a terminal.
  std::optional<bool> Timestamps;
  std::string Error;  // an option of ours given without its value
  // Of the whole command line, for the operator: each says what was ignored or read oddly.
  std::vector<std::string> Warnings;
};

ProgramOptions ParseProgramOptions(const std::vector<std::string>& arguments);

// The usage text of --help, its option list drawn from the option table.
std::string UsageText(const std::string& program);

}  // namespace vex
