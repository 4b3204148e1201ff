#include "config/ConfigPath.h"

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

}  // namespace vex
