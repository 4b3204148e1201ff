#pragma once

#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <string_view>

namespace vex::test {

// A fresh folder under the temporary directory, removed with everything in it.
class ScratchFolder {
 public:
  ScratchFolder() {
    std::string pattern = (std::filesystem::temp_directory_path() / "vex-XXXXXX").string();
    if (::mkdtemp(pattern.data()) != nullptr) {
      path_ = pattern;
    }
  }
  ~ScratchFolder() {
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
  }
  ScratchFolder(const ScratchFolder&) = delete;
  ScratchFolder& operator=(const ScratchFolder&) = delete;

  const std::filesystem::path& Path() const { return path_; }

  // Written byte for byte, so 0 bytes and carriage returns arrive as given; the folders on the
  // way are made.
  std::filesystem::path Write(const std::filesystem::path& relative,
                              std::string_view content = {}) const {
    const std::filesystem::path full = path_ / relative;
    std::filesystem::create_directories(full.parent_path());
    std::ofstream(full, std::ios::binary)
        .write(content.data(), static_cast<std::streamsize>(content.size()));
    return full;
  }
  void MakeDirectory(const std::filesystem::path& relative) const {
    std::filesystem::create_directories(path_ / relative);
  }
  void Link(const std::filesystem::path& relative, const std::filesystem::path& target) const {
    std::filesystem::create_symlink(target, path_ / relative);
  }
  // Copies a folder's contents in, such as the sample game folder.
  void CopyIn(const std::filesystem::path& source) const {
    std::filesystem::copy(source, path_, std::filesystem::copy_options::recursive);
  }

 private:
  std::filesystem::path path_;
};

// A scratch folder that is the working directory while the object lives: a game folder.
class ScratchWorkingFolder : public ScratchFolder {
 public:
  ScratchWorkingFolder() : previous_(std::filesystem::current_path()) {
    std::filesystem::current_path(Path());
  }
  ~ScratchWorkingFolder() {
    std::error_code ignored;
    std::filesystem::current_path(previous_, ignored);
  }

 private:
  std::filesystem::path previous_;
};

}  // namespace vex::test
