#include "platform/OpticalDisc.h"

#include <fstream>
#include <sstream>

namespace vex::platform {
namespace {

bool IsOctalDigit(char c) {
  return c >= '0' && c <= '7';
}

// The mount table writes blanks, tabs, newlines and backslashes in a path as \ooo.
std::string DecodeMountField(std::string_view field) {
  std::string decoded;
  for (std::size_t i = 0; i < field.size(); ++i) {
    if (field[i] == '\\' && i + 3 < field.size() && IsOctalDigit(field[i + 1]) &&
        IsOctalDigit(field[i + 2]) && IsOctalDigit(field[i + 3])) {
      const int value = (field[i + 1] - '0') * 64 + (field[i + 2] - '0') * 8 + (field[i + 3] - '0');
      decoded += static_cast<char>(value);
      i += 3;
    } else {
      decoded += field[i];
    }
  }
  return decoded;
}

}  // namespace

std::optional<std::string> FirstOpticalDiscMount(std::string_view mountTablePath) {
  std::ifstream table{std::string(mountTablePath)};
  std::string line;
  while (std::getline(table, line)) {
    std::istringstream fields(line);
    std::string device;
    std::string mountPoint;
    std::string type;
    if (!(fields >> device >> mountPoint >> type)) {
      continue;
    }
    if (type == "iso9660" || type == "udf") {
      return DecodeMountField(mountPoint);
    }
  }
  return std::nullopt;
}

}  // namespace vex::platform
