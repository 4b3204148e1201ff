#include "platform/Path.h"

#include <cctype>

namespace vex::platform {
namespace {

bool IsSeparator(char c) {
  return c == '\\' || c == '/';
}

}  // namespace

PathParts SplitPath(std::string_view path) {
  PathParts parts;
  if (path.size() >= 2 && path[1] == ':' && std::isalpha(static_cast<unsigned char>(path[0]))) {
    parts.Drive = std::string(path.substr(0, 2));
    path.remove_prefix(2);
  }
  const std::size_t lastSeparator = path.find_last_of("\\/");
  if (lastSeparator != std::string_view::npos) {
    parts.Dir = std::string(path.substr(0, lastSeparator + 1));
    path.remove_prefix(lastSeparator + 1);
  }
  const std::size_t lastDot = path.rfind('.');
  if (lastDot != std::string_view::npos) {
    parts.Ext = std::string(path.substr(lastDot));
    path.remove_suffix(path.size() - lastDot);
  }
  parts.Name = std::string(path);
  return parts;
}

std::optional<std::string> MakePath(const PathParts& parts) {
  std::string path;
  if (!parts.Drive.empty()) {
    path += parts.Drive.front();
    path += ':';
  }
  if (!parts.Dir.empty()) {
    path += parts.Dir;
    if (!IsSeparator(parts.Dir.back())) {
      path += '\\';
    }
  }
  path += parts.Name;
  if (!parts.Ext.empty()) {
    if (parts.Ext.front() != '.') {
      path += '.';
    }
    path += parts.Ext;
  }
  if (path.size() >= kMaxPath) {
    return std::nullopt;
  }
  return path;
}

}  // namespace vex::platform
