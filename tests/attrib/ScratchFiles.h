#pragma once

#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <string_view>

namespace vex::test {

// A fresh directory for the files of one test, removed with everything in it.
class ScratchFiles {
 public:
  ScratchFiles() {
    std::string pattern = (std::filesystem::temp_directory_path() / "vexattrXXXXXX").string();
    if (::mkdtemp(pattern.data()) != nullptr) {
      path_ = pattern;
    }
  }
  ~ScratchFiles() {
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
  }
  ScratchFiles(const ScratchFiles&) = delete;
  ScratchFiles& operator=(const ScratchFiles&) = delete;

  const std::filesystem::path& Path() const { return path_; }

  // Written byte for byte, so embedded 0 bytes and carriage returns arrive as given.
  std::string Write(const std::string& name, std::string_view content) const {
    const std::filesystem::path full = path_ / name;
    std::ofstream(full, std::ios::binary)
        .write(content.data(), static_cast<std::streamsize>(content.size()));
    return full.string();
  }

 private:
  std::filesystem::path path_;
};

}  // namespace vex::test
