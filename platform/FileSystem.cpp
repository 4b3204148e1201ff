#include "platform/FileSystem.h"

#include <dirent.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <optional>

namespace vex::platform {
namespace {

bool IsSeparator(char c) {
  return c == '\\' || c == '/';
}

char Lower(char c) {
  return static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
}

bool EqualIgnoringCase(std::string_view a, std::string_view b) {
  return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(),
                                            [](char x, char y) { return Lower(x) == Lower(y); });
}

bool PathExists(const std::string& path) {
  struct stat info {};
  return ::lstat(path.c_str(), &info) == 0;
}

std::vector<std::string> EntryNames(const std::string& directory) {
  std::vector<std::string> names;
  DIR* dir = ::opendir(directory.empty() ? "." : directory.c_str());
  if (dir == nullptr) {
    return names;
  }
  while (const dirent* entry = ::readdir(dir)) {
    names.emplace_back(entry->d_name);
  }
  ::closedir(dir);
  std::sort(names.begin(), names.end());
  return names;
}

std::optional<std::string> MatchIgnoringCase(const std::string& directory,
                                             std::string_view component) {
  for (const std::string& name : EntryNames(directory)) {
    if (EqualIgnoringCase(name, component)) {
      return name;
    }
  }
  return std::nullopt;
}

bool IsDirectoryPath(const std::string& path) {
  struct stat info {};
  return ::stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

}  // namespace

std::string ResolvePath(std::string_view windowsPath) {
  std::string resolved;
  std::size_t start = 0;
  while (start <= windowsPath.size()) {
    std::size_t end = start;
    while (end < windowsPath.size() && !IsSeparator(windowsPath[end])) {
      ++end;
    }
    const std::string_view component = windowsPath.substr(start, end - start);
    if (!component.empty() && component != "." && component != "..") {
      const std::string directory = resolved;
      const std::string asWritten = resolved + std::string(component);
      if (PathExists(asWritten)) {
        resolved = asWritten;
      } else if (auto match = MatchIgnoringCase(directory, component)) {
        resolved += *match;
      } else {
        resolved = asWritten;
      }
    } else {
      resolved += component;
    }
    if (end == windowsPath.size()) {
      break;
    }
    resolved += '/';
    start = end + 1;
  }
  return resolved;
}

bool FileExists(std::string_view path) {
  struct stat info {};
  return ::stat(ResolvePath(path).c_str(), &info) == 0 && S_ISREG(info.st_mode);
}

std::vector<DirEntry> ListDirectory(std::string_view pattern) {
  std::string_view directoryPart;
  std::string_view filePattern = pattern;
  const std::size_t lastSeparator = pattern.find_last_of("\\/");
  if (lastSeparator != std::string_view::npos) {
    directoryPart = pattern.substr(0, lastSeparator + 1);
    filePattern = pattern.substr(lastSeparator + 1);
  }
  const std::string directory = ResolvePath(directoryPart);
  std::vector<DirEntry> entries;
  for (const std::string& name : EntryNames(directory)) {
    if (WildcardMatch(filePattern, name)) {
      const std::string full = (directory.empty() ? std::string("./") : directory) + name;
      entries.push_back({name, IsDirectoryPath(full)});
    }
  }
  return entries;
}

bool WildcardMatch(std::string_view pattern, std::string_view name) {
  std::size_t p = 0;
  std::size_t n = 0;
  std::size_t starAt = std::string_view::npos;
  std::size_t resumeAt = 0;
  while (n < name.size()) {
    if (p < pattern.size() && pattern[p] == '*') {
      starAt = p++;
      resumeAt = n;
    } else if (p < pattern.size() && (pattern[p] == '?' || Lower(pattern[p]) == Lower(name[n]))) {
      ++p;
      ++n;
    } else if (starAt != std::string_view::npos) {
      p = starAt + 1;
      n = ++resumeAt;
    } else {
      return false;
    }
  }
  while (p < pattern.size() && pattern[p] == '*') {
    ++p;
  }
  return p == pattern.size();
}

bool WritableByOthers(const std::string& directory) {
  struct stat info {};
  if (::stat(directory.c_str(), &info) != 0) {
    return false;
  }
  return (info.st_mode & S_IWOTH) != 0 ||
         ((info.st_mode & S_IWGRP) != 0 && info.st_gid != ::getegid());
}

}  // namespace vex::platform
