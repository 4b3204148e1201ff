#include "framework/StringTable.h"

#include "res/StringTable.h"

namespace vex::fw {

std::string_view LoadStringOrEmpty(int id) {
  return LoadString(id).value_or(std::string_view{});
}

std::optional<std::string_view> LoadString(int id) {
  return res::FindString(id);
}

}  // namespace vex::fw
