#pragma once

#include <string>

namespace vex::platform {

// Directory of the running program, without a trailing "/"; empty when it cannot be found.
std::string ExecutableDirectory();

}  // namespace vex::platform
