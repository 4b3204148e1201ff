#include "platform/LogFile.h"

#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <utility>

#include "platform/IsoTime.h"
#include "platform/RegularFile.h"

namespace vex::platform {

namespace {

// About a minute of the busiest console; a file that stalls longer loses lines, not memory.
constexpr std::size_t kQueueBytesLimit = 8 * 1024 * 1024;
constexpr mode_t kLogMode = 0640;

}  // namespace

std::unique_ptr<LogFile> LogFile::Open(const std::string& path, std::string& error,
                                       Reporter report) {
  WritingOpening opened = OpenFileForWriting(path, kLogMode, Writing::Append);
  if (opened.Fd < 0) {
    error = std::move(opened.Error);
    return nullptr;
  }
  auto writer = std::make_shared<Writer>(path, opened.Fd, std::move(report));
  std::unique_ptr<LogFile> log(new LogFile(writer));
  if (!log->thread_.Start([writer] { writer->Loop(); })) {
    error = "no thread for its writer";
    return nullptr;
  }
  return log;
}

LogFile::LogFile(std::shared_ptr<Writer> writer) : writer_(std::move(writer)) {}

LogFile::~LogFile() {
  {
    std::lock_guard lock(writer_->Mutex);
    writer_->Ending = true;
  }
  writer_->Wake.notify_one();
  if (!thread_.WaitFor(static_cast<std::uint32_t>(kLastFlush.count()))) {
    thread_.Abandon();
    writer_->Report("the log file " + writer_->Path + " did not take its last lines within " +
                    std::to_string(kLastFlush.count() / 1000) + " seconds; they are lost");
  }
}

void LogFile::Append(std::string_view text) {
  const auto now = std::chrono::system_clock::now();
  {
    std::lock_guard lock(writer_->Mutex);
    if (writer_->QueuedBytes + text.size() > kQueueBytesLimit) {
      ++writer_->DroppedLines;
      return;
    }
    writer_->QueuedBytes += text.size();
    writer_->Queue.push_back({now, std::string(text)});
  }
  writer_->Wake.notify_one();
}

void LogFile::Reopen() {
  {
    std::lock_guard lock(writer_->Mutex);
    writer_->ReopenWanted = true;
  }
  writer_->Wake.notify_one();
}

LogFile::Writer::Writer(std::string path, int fd, Reporter report)
    : Path(std::move(path)), Fd(fd), Report(std::move(report)) {}

LogFile::Writer::~Writer() {
  close(Fd);
}

void LogFile::Writer::Loop() {
  std::unique_lock lock(Mutex);
  while (true) {
    Wake.wait(lock, [this] { return Ending || ReopenWanted || !Queue.empty(); });
    // Lines queued before the reopen belong to the old file: logrotate renamed it after they were
    // written there by the program's clock, and a line must not be missing from both.
    std::deque<Entry> taken = std::exchange(Queue, {});
    QueuedBytes = 0;
    const std::uint64_t dropped = std::exchange(DroppedLines, 0);
    const bool reopen = std::exchange(ReopenWanted, false);
    const bool ending = Ending;
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
    if (ending && Queue.empty()) {
      return;
    }
  }
}

void LogFile::Writer::WriteEntry(const Entry& entry) {
  std::string bytes;
  // The note takes the time of the line it comes before, so the file's times never go back.
  if (LostLines > 0) {
    AppendLines(bytes, entry.Time,
                "[" + std::to_string(LostLines) + " lines were not logged: " + LostReason + ".]");
  }
  const std::size_t noteSize = bytes.size();
  const std::size_t lines = AppendLines(bytes, entry.Time, entry.Text);
  const std::size_t written = WriteAll(bytes);
  if (written >= noteSize) {
    LostLines = 0;
  }
  if (written < bytes.size()) {
    LostLines += lines;
  }
}

std::size_t LogFile::Writer::AppendLines(std::string& bytes,
                                         std::chrono::system_clock::time_point time,
                                         std::string_view text) {
  const std::string stamp = IsoTimestamp(time) + " ";
  std::size_t lines = 0;
  while (!text.empty()) {
    const std::size_t end = text.find('\n');
    bytes += stamp;
    bytes += text.substr(0, end);
    bytes += '\n';
    ++lines;
    text = end == std::string_view::npos ? std::string_view{} : text.substr(end + 1);
  }
  return lines;
}

std::size_t LogFile::Writer::WriteAll(const std::string& bytes) {
  std::size_t done = 0;
  while (done < bytes.size()) {
    const ssize_t written = write(Fd, bytes.data() + done, bytes.size() - done);
    if (written < 0 && errno == EINTR) {
      continue;
    }
    if (written <= 0) {
      LostReason = std::strerror(written < 0 ? errno : ENOSPC);
      ReportOnce("cannot write the log file", LostReason);
      return done;
    }
    done += static_cast<std::size_t>(written);
  }
  FailureReported = false;
  return done;
}

// A path that cannot be opened again keeps the log going to the file it had.
void LogFile::Writer::ReopenNow() {
  WritingOpening fresh = OpenFileForWriting(Path, kLogMode, Writing::Append);
  if (fresh.Fd < 0) {
    ReportOnce("cannot reopen the log file", fresh.Error);
    return;
  }
  close(Fd);
  Fd = fresh.Fd;
}

void LogFile::Writer::ReportOnce(const std::string& what, const std::string& reason) {
  if (FailureReported) {
    return;
  }
  FailureReported = true;
  Report(what + " " + Path + ": " + reason);
}

}  // namespace vex::platform
