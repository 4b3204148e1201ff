#pragma once

#include <functional>
#include <string>

#include "config/GamePreparation.h"

namespace vex {

// Text of the program's string table by id.
using StringLookup = std::function<std::string(int id)>;

// The readable summary of a prepared game, one "label: value" line each, as it would be hosted.
// Passwords appear only as "set" or "not set".
std::string ConfigSummary(const PreparedGame& game, const StringLookup& text);

}  // namespace vex
