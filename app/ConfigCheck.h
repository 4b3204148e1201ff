#pragma once

#include <optional>
#include <string>
#include <vector>

namespace vex {

// The exit code of a check whose options block could not be written (sysexits' EX_IOERR).
inline constexpr int kDumpNotWritten = 74;

// Reads and checks the configuration named on the command line as hosting would, prints a
// summary and hosts nothing. Returns 0, the error's string id (10 to 13), or kDumpNotWritten as
// the exit code.
int RunConfigCheck(const std::vector<std::string>& arguments,
                   const std::optional<std::string>& dumpOptionsFile);

}  // namespace vex
