#pragma once

#include <optional>
#include <string_view>

namespace vex::fw {

// The program's string table (res/); nothing when the id has no text.
std::optional<std::string_view> LoadString(int id);

// The text of the id, or an empty text when it has none.
std::string_view LoadStringOrEmpty(int id);

}  // namespace vex::fw
