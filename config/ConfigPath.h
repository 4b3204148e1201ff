#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace vex {

inline constexpr std::string_view kConfigFolder = "VexMod\\ServerData\\";
inline constexpr std::string_view kConfigExtension = ".txt";

// A configuration name as a Windows-style path: no extension gives ".txt", no directory gives
// the configuration folder. Nothing when the path would be 260 characters or more, since a cut
// name would read another file.
std::optional<std::string> CompleteConfigPath(std::string_view name);

// The titles (names without folder and extension) of the configuration files in the
// configuration folder, directories left out, sorted by name.
std::vector<std::string> ListConfigTitles();

// When the working directory has no configuration folder (the server was started outside the
// game's folder), the sentence that says so; nothing otherwise.
std::optional<std::string> MissingConfigFolder();

}  // namespace vex
