#pragma once

#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <string_view>

namespace vex::test {

// A fresh directory under the system temp folder, removed with everything in it.
class TempDir {
 public:
  TempDir() {
    std::string pattern = (std::filesystem::temp_directory_path() / "vexXXXXXX").string();
    if (::mkdtemp(pattern.data()) != nullptr) {
      path_ = pattern;
    }
  }
  ~TempDir() {
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
  }
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;

  const std::filesystem::path& Path() const { return path_; }

  std::filesystem::path Write(const std::filesystem::path& relative, std::string_view text) const {
    const std::filesystem::path full = path_ / relative;
    std::filesystem::create_directories(full.parent_path());
    std::ofstream(full, std::ios::binary) << text;
    return full;
  }

  void MakeDir(const std::filesystem::path& relative) const {
    std::filesystem::create_directories(path_ / relative);
  }

 private:
  std::filesystem::path path_;
};

}  // namespace vex::test
