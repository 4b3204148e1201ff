#include "platform/LogFile.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <utility>

#include "platform/IsoTime.h"

namespace vex::platform {

namespace {

// About a minute of the busiest console; a file that stalls longer loses lines, not memory.
constexpr std::size_t kQueueBytesLimit = 8 * 1024 * 1024;

int OpenForAppending(const std::string& path) {
  return open(path.c_str(), O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC, 0640);
}

}  // namespace

std::unique_ptr<LogFile> LogFile::Open(const std::string& path, std::string& error) {
  const int fd = OpenForAppending(path);
  if (fd < 0) {
    error = std::strerror(errno);
    return nullptr;
  }
  return std::unique_ptr<LogFile>(new LogFile(path, fd));
}

LogFile::LogFile(std::string path, int fd) : path_(std::move(path)), fd_(fd) {
  writer_ = std::thread([this] { WriterLoop(); });
}

LogFile::~LogFile() {
  {
    std::lock_guard lock(mutex_);
    ending_ = true;
  }
  wake_.notify_one();
  writer_.join();
  close(fd_);
}

void LogFile::Append(std::string_view text) {
  const auto now = std::chrono::system_clock::now();
  {
    std::lock_guard lock(mutex_);
    if (queuedBytes_ + text.size() > kQueueBytesLimit) {
      ++droppedLines_;
      return;
    }
    queuedBytes_ += text.size();
    queue_.push_back({now, std::string(text)});
  }
  wake_.notify_one();
}

void LogFile::Reopen() {
  {
    std::lock_guard lock(mutex_);
    reopenWanted_ = true;
  }
  wake_.notify_one();
}

void LogFile::WriterLoop() {
  std::unique_lock lock(mutex_);
  while (true) {
    wake_.wait(lock, [this] { return ending_ || reopenWanted_ || !queue_.empty(); });
    // Lines queued before the reopen belong to the old file: logrotate renamed it after they were
    // written there by the program's clock, and a line must not be missing from both.
    std::deque<Entry> taken = std::exchange(queue_, {});
    queuedBytes_ = 0;
    const std::uint64_t dropped = std::exchange(droppedLines_, 0);
    const bool reopen = std::exchange(reopenWanted_, false);
    const bool ending = ending_;
    lock.unlock();
    for (const Entry& entry : taken) {
      WriteEntry(entry);
    }
    if (dropped > 0) {
      WriteEntry(
          {std::chrono::system_clock::now(),
           "[" + std::to_string(dropped) + " lines were not logged: the file fell behind.]"});
    }
    if (reopen) {
      ReopenNow();
    }
    lock.lock();
    if (ending && queue_.empty()) {
      return;
    }
  }
}

void LogFile::WriteEntry(const Entry& entry) {
  const std::string stamp = IsoTimestamp(entry.Time) + " ";
  std::string bytes;
  std::string_view rest = entry.Text;
  while (!rest.empty()) {
    const std::size_t end = rest.find('\n');
    bytes += stamp;
    bytes += rest.substr(0, end);
    bytes += '\n';
    rest = end == std::string_view::npos ? std::string_view{} : rest.substr(end + 1);
  }
  WriteAll(bytes);
}

void LogFile::WriteAll(const std::string& bytes) {
  std::size_t done = 0;
  while (done < bytes.size()) {
    const ssize_t written = write(fd_, bytes.data() + done, bytes.size() - done);
    if (written < 0 && errno == EINTR) {
      continue;
    }
    if (written <= 0) {
      ReportOnce("cannot write the log file", written < 0 ? errno : ENOSPC);
      return;
    }
    done += static_cast<std::size_t>(written);
  }
  failureReported_ = false;
}

// A path that cannot be opened again keeps the log going to the file it had.
void LogFile::ReopenNow() {
  const int fresh = OpenForAppending(path_);
  if (fresh < 0) {
    ReportOnce("cannot reopen the log file", errno);
    return;
  }
  close(fd_);
  fd_ = fresh;
}

void LogFile::ReportOnce(const std::string& what, int errorNumber) {
  if (failureReported_) {
    return;
  }
  failureReported_ = true;
  std::fprintf(stderr, "vexserver: %s %s: %s\n", what.c_str(), path_.c_str(),
               std::strerror(errorNumber));
}

}  // namespace vex::platform
