#pragma once

#include <cstdint>

namespace vex::platform {

// Whether another socket holds the UDP port on all interfaces, as a game port or a server
// query port of another server would.
bool UdpPortInUse(std::uint16_t port);

}  // namespace vex::platform
