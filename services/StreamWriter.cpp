#include "services/StreamWriter.h"

#include <fcntl.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>

namespace vex::services {

StreamWriter::StreamWriter(qintptr socketDescriptor)
    : descriptor_(socketDescriptor >= 0
                      ? fcntl(static_cast<int>(socketDescriptor), F_DUPFD_CLOEXEC, 0)
                      : -1) {
  if (descriptor_ < 0) {
    return;
  }
  writable_ = std::make_unique<QSocketNotifier>(descriptor_, QSocketNotifier::Write);
  writable_->setEnabled(false);
  QObject::connect(writable_.get(), &QSocketNotifier::activated, this, [this] { Flush(); });
}

StreamWriter::~StreamWriter() {
  Close();
}

void StreamWriter::Write(std::string_view bytes) {
  if (!Usable()) {
    return;
  }
  buffer_.append(bytes);
  Flush();
}

void StreamWriter::CloseWhenWritten(std::function<void()> closed) {
  closed_ = std::move(closed);
  if (buffer_.empty() || !Usable()) {
    Finish();
  }
}

void StreamWriter::Close() {
  writable_.reset();
  if (descriptor_ >= 0) {
    ::close(descriptor_);
    descriptor_ = -1;
  }
  buffer_.clear();
}

void StreamWriter::Flush() {
  while (Usable() && !buffer_.empty()) {
    const ssize_t sent =
        ::send(descriptor_, buffer_.data(), buffer_.size(), MSG_NOSIGNAL | MSG_DONTWAIT);
    if (sent > 0) {
      buffer_.erase(0, static_cast<std::size_t>(sent));
    } else if (sent < 0 && errno == EINTR) {
      continue;
    } else if (sent < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) {
      writable_->setEnabled(true);
      return;
    } else {
      failed_ = true;
      buffer_.clear();
    }
  }
  if (writable_ != nullptr) {
    writable_->setEnabled(false);
  }
  if (closed_ && (buffer_.empty() || !Usable())) {
    Finish();
  }
}

void StreamWriter::Finish() {
  Close();
  if (auto closed = std::move(closed_)) {
    closed_ = nullptr;
    closed();
  }
}

}  // namespace vex::services
