#pragma once

#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <string>

namespace vex::test {

// A temporary game folder that is the working directory for the life of the object.
class ScopedGameFolder {
 public:
  ScopedGameFolder() : previous_(std::filesystem::current_path()) {
    char pattern[] = "/tmp/vex-game-XXXXXX";
    root_ = mkdtemp(pattern);
    std::filesystem::current_path(root_);
  }
  ~ScopedGameFolder() {
    std::filesystem::current_path(previous_);
    std::filesystem::remove_all(root_);
  }
  ScopedGameFolder(const ScopedGameFolder&) = delete;
  ScopedGameFolder& operator=(const ScopedGameFolder&) = delete;

  const std::filesystem::path& Root() const { return root_; }

  void Write(const std::filesystem::path& relative, const std::string& content) const {
    const auto path = root_ / relative;
    std::filesystem::create_directories(path.parent_path());
    std::ofstream(path, std::ios::binary) << content;
  }

 private:
  std::filesystem::path previous_;
  std::filesystem::path root_;
};

}  // namespace vex::test
