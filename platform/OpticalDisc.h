#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace vex::platform {

// Mount point of the first iso9660 or udf file system in the mount table: the place a CD-ROM
// drive letter had on Windows.
std::optional<std::string> FirstOpticalDiscMount(std::string_view mountTablePath = "/proc/mounts");

}  // namespace vex::platform
