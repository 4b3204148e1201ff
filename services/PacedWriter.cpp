#include "services/PacedWriter.h"

namespace vex::services {

PacedWriter::PacedWriter(qintptr socketDescriptor, int pauseMs) : writer_(socketDescriptor) {
  pause_.setSingleShot(true);
  pause_.setInterval(pauseMs);
  QObject::connect(&pause_, &QTimer::timeout, &pause_, [this] { WriteNext(); });
}

PacedWriter::~PacedWriter() {
  for (const std::string& packet : waiting_) {
    writer_.Write(packet);
  }
}

void PacedWriter::Write(std::string packet) {
  if (!Usable()) {
    return;
  }
  waitingBytes_ += packet.size();
  waiting_.push_back(std::move(packet));
  WriteNext();
}

void PacedWriter::CloseWhenWritten(std::function<void()> closed) {
  closed_ = std::move(closed);
  WriteNext();
}

void PacedWriter::Close() {
  pause_.stop();
  waiting_.clear();
  waitingBytes_ = 0;
  writer_.Close();
}

void PacedWriter::WriteNext() {
  if (pause_.isActive()) {
    return;
  }
  if (!waiting_.empty() && Usable()) {
    waitingBytes_ -= waiting_.front().size();
    writer_.Write(waiting_.front());
    waiting_.pop_front();
    pause_.start();
    return;
  }
  if (auto closed = std::move(closed_)) {
    closed_ = nullptr;
    writer_.CloseWhenWritten(std::move(closed));
  }
}

}  // namespace vex::services
