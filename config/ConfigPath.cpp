#include "config/ConfigPath.h"

#include <filesystem>
#include <system_error>

#include "platform/FileSystem.h"
#include "platform/Path.h"

namespace vex {

std::optional<std::string> CompleteConfigPath(std::string_view name) {
  platform::PathParts parts = platform::SplitPath(name);
  if (parts.Ext.empty()) {
    parts.Ext = kConfigExtension;
  }
  if (parts.Dir.empty()) {
    parts.Dir = kConfigFolder;
  }
  return platform::MakePath(parts);
}

std::vector<std::string> ListConfigTitles() {
  std::string pattern(kConfigFolder);
  pattern += '*';
  pattern += kConfigExtension;
  std::vector<std::string> titles;
  for (const platform::DirEntry& entry : platform::ListDirectory(pattern)) {
    if (entry.IsDirectory || entry.Name == "." || entry.Name == "..") {
      continue;
    }
    titles.push_back(platform::SplitPath(entry.Name).Name);
  }
  return titles;
}

std::optional<std::string> MissingConfigFolder() {
  std::error_code error;
  if (std::filesystem::is_directory(platform::ResolvePath(kConfigFolder), error)) {
    return std::nullopt;
  }
  return "./VexMod/ServerData is missing in " + std::filesystem::current_path(error).string() +
         ": start the server in the game's folder.";
}

}  // namespace vex
