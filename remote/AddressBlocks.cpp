#include "remote/AddressBlocks.h"

#include <arpa/inet.h>

#include <algorithm>
#include <array>

namespace vex::remote {

namespace {

// The first `bits` bits of an address, as "address/bits"; the text itself when it is no address.
std::string Prefix(std::string_view address, int bits4, int bits6) {
  const std::string plain(address.substr(0, address.find('%')));
  std::array<unsigned char, 16> bytes{};
  int family = AF_INET6;
  int bits = bits6;
  if (inet_pton(AF_INET, plain.c_str(), bytes.data()) == 1) {
    family = AF_INET;
    bits = bits4;
  } else if (inet_pton(AF_INET6, plain.c_str(), bytes.data()) != 1) {
    return std::string(address);
  }
  const int size = family == AF_INET ? 4 : 16;
  if (bits >= size * 8) {
    return plain;
  }
  std::fill(bytes.begin() + bits / 8, bytes.begin() + size, 0);
  std::array<char, INET6_ADDRSTRLEN> text{};
  inet_ntop(family, bytes.data(), text.data(), text.size());
  return std::string(text.data()) + "/" + std::to_string(bits);
}

bool IsLoopback(std::string_view address) {
  const std::string plain(address.substr(0, address.find('%')));
  std::array<unsigned char, 16> bytes{};
  if (inet_pton(AF_INET, plain.c_str(), bytes.data()) == 1) {
    return bytes[0] == 127;
  }
  static constexpr std::array<unsigned char, 16> kIpv6Loopback{0, 0, 0, 0, 0, 0, 0, 0,
                                                               0, 0, 0, 0, 0, 0, 0, 1};
  return inet_pton(AF_INET6, plain.c_str(), bytes.data()) == 1 && bytes == kIpv6Loopback;
}

}  // namespace

std::string HostGroup(std::string_view address) {
  return Prefix(address, 32, 64);
}

std::string NetworkBlock(std::string_view address) {
  return IsLoopback(address) ? "loopback" : Prefix(address, 24, 48);
}

}  // namespace vex::remote
