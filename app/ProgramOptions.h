#pragma once

#include <optional>
#include <string>
#include <vector>

namespace vex {

// The program's own options. The game's options -config, -name and -port are read elsewhere with
// their own walk; an argument that walk takes, as an option or as a value, is never one of these.
struct ProgramOptions {
  bool Help = false;
  bool Version = false;
  bool Console = false;
  bool CheckConfig = false;
  std::optional<std::string> DumpOptionsFile;
  std::optional<std::string> LogFile;
  // Times before terminal lines; unset: only when standard output is not a terminal.
  std::optional<bool> Timestamps;
  std::string Error;  // an option of ours that is incomplete
};

ProgramOptions ParseProgramOptions(const std::vector<std::string>& arguments);

std::string UsageText(const std::string& program);

}  // namespace vex
