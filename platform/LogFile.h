#pragma once

#include <chrono>
#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>
#include <thread>

namespace vex::platform {

// A log file that the program appends to without ever waiting for it: lines are queued and a
// thread of the log's own writes them, each with the time it was queued (ISO 8601). Reopen makes
// the thread open the path again, so that a file renamed by logrotate is left behind complete. A
// write that fails is reported once on standard error (again only after a write succeeded); the
// lines are lost, the program goes on. Beyond a bound the queue drops lines and says how many.
class LogFile {
 public:
  // Nothing, with the reason in `error`, when the file cannot be opened for appending.
  static std::unique_ptr<LogFile> Open(const std::string& path, std::string& error);
  ~LogFile();  // writes what is queued, then ends the thread
  LogFile(const LogFile&) = delete;
  LogFile& operator=(const LogFile&) = delete;

  // Any text; each line of it (a line feed ends one) becomes a line of the file.
  void Append(std::string_view text);
  void Reopen();

 private:
  struct Entry {
    std::chrono::system_clock::time_point Time;
    std::string Text;
  };

  LogFile(std::string path, int fd);
  void WriterLoop();
  void WriteEntry(const Entry& entry);
  void WriteAll(const std::string& bytes);
  void ReopenNow();
  void ReportOnce(const std::string& what, int errorNumber);

  const std::string path_;
  int fd_;
  std::mutex mutex_;
  std::condition_variable wake_;
  std::deque<Entry> queue_;
  std::size_t queuedBytes_ = 0;
  std::uint64_t droppedLines_ = 0;
  bool reopenWanted_ = false;
  bool ending_ = false;
  bool failureReported_ = false;  // writer thread only
  std::thread writer_;
};

}  // namespace vex::platform
