#include "remote/SecretEqual.h"

#include <cstddef>

namespace vex::remote {

bool SecretsEqual(std::string_view given, std::string_view secret) {
  if (secret.empty()) {
    return false;
  }
  // Every byte given is compared with a byte of the secret, wrapping round it, so the loop runs
  // as long for a short guess against a long secret as for any other guess of that length.
  std::size_t difference = given.size() ^ secret.size();
  for (std::size_t i = 0; i < given.size(); ++i) {
    difference |= static_cast<unsigned char>(given[i] ^ secret[i % secret.size()]);
  }
  return difference == 0;
}

}  // namespace vex::remote
