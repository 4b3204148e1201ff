#include "platform/ExecutablePath.h"

#include <unistd.h>

#include <vector>

namespace vex::platform {

std::string ExecutableDirectory() {
  std::vector<char> buffer(4096);
  const ssize_t length = ::readlink("/proc/self/exe", buffer.data(), buffer.size());
  if (length <= 0 || static_cast<std::size_t>(length) >= buffer.size()) {
    return {};
  }
  std::string path(buffer.data(), static_cast<std::size_t>(length));
  const std::size_t slash = path.rfind('/');
  if (slash == std::string::npos) {
    return {};
  }
  return slash == 0 ? std::string("/") : path.substr(0, slash);
}

}  // namespace vex::platform
