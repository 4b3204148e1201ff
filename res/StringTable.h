#pragma once

#include <optional>
#include <string_view>

namespace vex::res {

// The text stored under a string id, or nothing when the table has none.
std::optional<std::string_view> FindString(int id);

}  // namespace vex::res
