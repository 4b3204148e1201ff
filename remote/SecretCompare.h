#pragma once

#include <string_view>

namespace vex::remote {

// Whether a text a client sent is the secret. The time taken depends on the length of what was
// sent only: it tells neither how much of it matched nor how long the secret is.
bool SecretsEqual(std::string_view sent, std::string_view secret);

}  // namespace vex::remote
