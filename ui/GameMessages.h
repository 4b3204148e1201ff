#pragma once

#include <cstdint>

#include "session/ConsoleLineQueue.h"
#include "ui/GameTracking.h"

namespace vex {

// Applies one game message to the tracking state. A length of 0 means the message runs up to its
// first zero byte; a null message or a negative length is ignored. Takes no lock: the caller is
// inside an engine call that holds the session lock.
void HandleGameMessage(GameTracking& tracking, ConsoleLineQueue& pending, const char* data,
                       int length, std::int64_t now);

}  // namespace vex
