#pragma once

#include <cstdint>
#include <optional>
#include <set>
#include <string_view>

namespace vex::remote {

// What the kernel dropped because a socket's receive buffer was full (the count that SO_RXQ_OVFL
// reports), summed over the rows of a /proc/net/udp or udp6 table whose local port is `port` and
// whose socket inode is one of `inodes`; nothing when no row is such. Rows that do not read as a
// table's rows are left out.
std::optional<std::uint64_t> SumSocketDrops(std::string_view table, std::uint16_t port,
                                            const std::set<std::uint64_t>& inodes);

// The same for this process's own UDP sockets on `port`, IPv4 and IPv6: the engine's game port
// is a socket of this process. Nothing when none is open or /proc cannot be read.
std::optional<std::uint64_t> ReadSocketDrops(std::uint16_t port);

}  // namespace vex::remote
