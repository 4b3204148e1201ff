#pragma once

#include <string>
#include <string_view>

namespace vex::remote {

// Appends the text as a JSON string, quotes included. Whatever the bytes (a player's name, an
// engine line), the result is valid JSON: control characters are escaped and a byte that is no
// part of valid UTF-8 becomes U+FFFD.
void AppendJsonString(std::string& out, std::string_view text);

}  // namespace vex::remote
