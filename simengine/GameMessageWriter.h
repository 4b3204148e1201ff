#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>

#include "simengine/SimPlayer.h"

namespace vex::sim {

// The game messages that the host's status window reads: a raw type byte, then numbers as
// decimal text. The results hold zero bytes, so callers pass their exact size along.
inline constexpr std::size_t kMaxNameBytes = 29;
inline constexpr std::size_t kMaxConsoleLineBytes = 1023;

// A bot's message carries the optional mark after the id that tells hosts it is no person.
std::string PlayerAddedMessage(std::int32_t clientId, bool bot);
std::string PlayerRemovedMessage(std::int32_t clientId);
std::string PlayerStatsMessage(std::span<const SimPlayer> players, std::int32_t protectedId);
std::string LevelUnloadedMessage();
std::string LevelStartedMessage(int levelIndex);
std::string ConsoleLineMessage(std::string_view text);

}  // namespace vex::sim
