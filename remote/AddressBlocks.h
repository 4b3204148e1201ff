#pragma once

#include <string>
#include <string_view>

namespace vex::remote {

// What a peer's address stands for when counting it; the text is a numeric address, an IPv6 one
// possibly with a scope id ("fe80::1%eth0"), which is left out of the count.

// One host: an IPv4 address whole, an IPv6 one as its /64, the block that one host can pick its
// addresses from. Bans and slots count by it.
std::string HostGroup(std::string_view address);

// The network a host belongs to: an IPv4 /24, an IPv6 /48, or "loopback" for the machine's own
// addresses (127.0.0.0/8, ::1). Budgets of sign-in attempts count by it.
std::string NetworkBlock(std::string_view address);

}  // namespace vex::remote
