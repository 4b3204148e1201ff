#pragma once

#include <optional>
#include <string>
#include <vector>

namespace vex {

// Reads and checks the configuration named on the command line as hosting would, prints a
// summary and hosts nothing. Returns 0, or the error's string id (10 to 13) as the exit code.
int RunConfigCheck(const std::vector<std::string>& arguments,
                   const std::optional<std::string>& dumpOptionsFile);

}  // namespace vex
