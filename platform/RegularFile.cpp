#include "platform/RegularFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace vex::platform {
namespace {

std::string KindOf(mode_t mode) {
  if (S_ISDIR(mode)) {
    return "a directory";
  }
  if (S_ISFIFO(mode)) {
    return "a FIFO";
  }
  if (S_ISCHR(mode)) {
    return "a character device";
  }
  if (S_ISBLK(mode)) {
    return "a block device";
  }
  if (S_ISSOCK(mode)) {
    return "a socket";
  }
  return "of another kind";
}

RegularFileOpening Failed(int systemError) {
  return RegularFileOpening{nullptr, systemError, std::strerror(systemError)};
}

}  // namespace

RegularFileOpening OpenRegularFile(const std::string& path) {
  // O_NOCTTY: a terminal named by mistake must not become the server's controlling terminal.
  const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
  if (fd < 0) {
    return Failed(errno);
  }
  struct stat status {};
  if (::fstat(fd, &status) != 0) {
    const int error = errno;
    ::close(fd);
    return Failed(error);
  }
  if (!S_ISREG(status.st_mode)) {
    ::close(fd);
    return RegularFileOpening{nullptr, 0, "not a regular file (" + KindOf(status.st_mode) + ")"};
  }
  // Reads of a regular file never block anyway; the flag only had to keep the open from waiting.
  const int flags = ::fcntl(fd, F_GETFL);
  if (flags < 0 || ::fcntl(fd, F_SETFL, flags & ~O_NONBLOCK) != 0) {
    const int error = errno;
    ::close(fd);
    return Failed(error);
  }
  std::FILE* stream = ::fdopen(fd, "rb");
  if (stream == nullptr) {
    const int error = errno;
    ::close(fd);
    return Failed(error);
  }
  return RegularFileOpening{FileStream(stream), 0, {}};
}

WritingOpening OpenFileForWriting(const std::string& path, mode_t mode, Writing how) {
  // Without O_NONBLOCK a FIFO with no reader would hold the open for ever; with it, such a FIFO
  // fails with ENXIO, which says less than its kind. O_TRUNC leaves devices alone.
  const int flags = O_WRONLY | O_CREAT | O_NONBLOCK | O_NOCTTY | O_CLOEXEC |
                    (how == Writing::Append ? O_APPEND : O_TRUNC);
  const int fd = ::open(path.c_str(), flags, mode);
  struct stat status {};
  if (fd < 0) {
    const int error = errno;
    // A directory fails with EISDIR, whose text does not say what to change either.
    if ((error == ENXIO || error == EISDIR) && ::stat(path.c_str(), &status) == 0 &&
        !S_ISREG(status.st_mode)) {
      return {-1, "not a regular file (" + KindOf(status.st_mode) + ")"};
    }
    return {-1, std::strerror(error)};
  }
  if (::fstat(fd, &status) != 0) {
    const int error = errno;
    ::close(fd);
    return {-1, std::strerror(error)};
  }
  if (!S_ISREG(status.st_mode) && !S_ISCHR(status.st_mode)) {
    ::close(fd);
    return {-1, "not a regular file (" + KindOf(status.st_mode) + ")"};
  }
  // Writes wait for the file again, as a device may need them to.
  const int fileFlags = ::fcntl(fd, F_GETFL);
  if (fileFlags < 0 || ::fcntl(fd, F_SETFL, fileFlags & ~O_NONBLOCK) != 0) {
    const int error = errno;
    ::close(fd);
    return {-1, std::strerror(error)};
  }
  return {fd, {}};
}

}  // namespace vex::platform
