#pragma once

#include <string_view>

namespace vex::remote {

// Whether what a client gave is the secret (a password, a session id, a token), in a time that
// depends on the length of what was given only: neither how much of it matched nor the secret's
// own length shows. An empty secret matches nothing.
bool SecretsEqual(std::string_view given, std::string_view secret);

}  // namespace vex::remote
