#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace vex::platform {

// A Windows-style path as Linux can open it: "\" becomes "/", and each component that does not
// exist as written takes the spelling of a directory entry that matches it ignoring case (the
// first in name order). Components that match nothing stay as written.
std::string ResolvePath(std::string_view windowsPath);

// True for an existing regular file (after resolution); false for directories and anything absent.
bool FileExists(std::string_view path);

// True when users other than the owner may create files in the directory: it is writable by
// all, or by a group that is not the process's own.
bool WritableByOthers(const std::string& directory);

struct DirEntry {
  std::string Name;
  bool IsDirectory = false;
};

// Entries of the pattern's directory whose names match its last component (wildcards "*" and "?",
// ignoring case), "." and ".." included when they match, sorted by name. Empty when the directory
// cannot be read.
std::vector<DirEntry> ListDirectory(std::string_view pattern);

// "*" matches any run of characters, "?" exactly one; letters compare ignoring ASCII case.
bool WildcardMatch(std::string_view pattern, std::string_view name);

}  // namespace vex::platform
