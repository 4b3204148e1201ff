#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace vex::platform {

// The Windows path buffer size; a joined path must be shorter than this.
inline constexpr std::size_t kMaxPath = 260;

struct PathParts {
  std::string Drive;  // "X:" or empty
  std::string Dir;    // keeps its trailing separator
  std::string Name;
  std::string Ext;  // from the last dot of the file part, dot included
};

// Split with the Windows rules: both "\" and "/" separate, a drive is a letter and a colon at the
// start.
PathParts SplitPath(std::string_view path);

// Join drive + dir (with a "\" added when it lacks a separator) + name + ext (with a "." added when
// it lacks one). Nothing when the result would not fit kMaxPath with its terminator: a path is
// refused, never cut.
std::optional<std::string> MakePath(const PathParts& parts);

}  // namespace vex::platform
