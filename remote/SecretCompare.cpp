#include "remote/SecretCompare.h"

#include <cstddef>

namespace vex::remote {

bool SecretsEqual(std::string_view sent, std::string_view secret) {
  unsigned difference = sent.size() == secret.size() ? 0u : 1u;
  for (std::size_t i = 0; i < sent.size(); ++i) {
    const unsigned char expected =
        secret.empty() ? 0 : static_cast<unsigned char>(secret[i % secret.size()]);
    difference |= static_cast<unsigned char>(sent[i]) ^ expected;
  }
  return difference == 0;
}

}  // namespace vex::remote
