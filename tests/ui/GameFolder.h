#pragma once

#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <string>

namespace vex::test {

// A temporary game folder that is the working directory while the object lives.
class GameFolder {
 public:
  GameFolder() : previous_(std::filesystem::current_path()) {
    char pattern[] = "/tmp/vex-ui-XXXXXX";
    root_ = mkdtemp(pattern);
    std::filesystem::current_path(root_);
  }
  ~GameFolder() {
    std::filesystem::current_path(previous_);
    std::filesystem::remove_all(root_);
  }
  GameFolder(const GameFolder&) = delete;
  GameFolder& operator=(const GameFolder&) = delete;

  void Write(const std::filesystem::path& relative, const std::string& content = "") const {
    const auto path = root_ / relative;
    std::filesystem::create_directories(path.parent_path());
    std::ofstream(path, std::ios::binary) << content;
  }
  void MakeDirectory(const std::filesystem::path& relative) const {
    std::filesystem::create_directories(root_ / relative);
  }
  void Link(const std::filesystem::path& relative, const std::filesystem::path& target) const {
    std::filesystem::create_symlink(target, root_ / relative);
  }

 private:
  std::filesystem::path previous_;
  std::filesystem::path root_;
};

}  // namespace vex::test
