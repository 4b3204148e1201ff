#include "framework/StringTable.h"

#include "res/StringTable.h"

namespace vex::fw {

std::optional<std::string_view> LoadString(int id) {
  return res::FindString(id);
}

}  // namespace vex::fw
