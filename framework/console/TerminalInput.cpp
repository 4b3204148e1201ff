#include "framework/console/TerminalInput.h"

#include <fcntl.h>
#include <unistd.h>

#include <QSocketNotifier>
#include <QTimer>
#include <cerrno>
#include <utility>

#include "framework/Application.h"

namespace vex::fw {

namespace {

constexpr int kOfferAgainMs = 10;

}  // namespace

std::vector<std::string> LineSplitter::Feed(std::string_view bytes) {
  std::vector<std::string> lines;
  for (char c : bytes) {
    if (c != '\n') {
      if (partial_.size() < kLongestLine) {
        partial_.push_back(c);
      } else if (!cutting_) {
        cutting_ = true;
        ++cutLines_;
      }
      continue;
    }
    if (!cutting_ && !partial_.empty() && partial_.back() == '\r') {
      partial_.pop_back();
    }
    cutting_ = false;
    lines.push_back(std::move(partial_));
    partial_.clear();
  }
  return lines;
}

std::vector<std::string> LineSplitter::Finish() {
  std::vector<std::string> lines;
  if (!partial_.empty()) {
    lines.push_back(std::move(partial_));
    partial_.clear();
  }
  return lines;
}

TerminalInput::TerminalInput(int fd, std::function<bool(const std::string&)> onLine)
    : fd_(fd), onLine_(std::move(onLine)), offerAgain_(std::make_unique<QTimer>()) {
  offerAgain_->setSingleShot(true);
  offerAgain_->setInterval(kOfferAgainMs);
  QObject::connect(offerAgain_.get(), &QTimer::timeout, [this] { OfferHeld(); });
  if (fcntl(fd_, F_GETFL) == -1) {
    return;  // closed: there is nothing to read
  }
  notifier_ = std::make_unique<QSocketNotifier>(fd_, QSocketNotifier::Read);
  QObject::connect(notifier_.get(), &QSocketNotifier::activated, [this] { ReadAvailable(); });
}

TerminalInput::~TerminalInput() = default;

void TerminalInput::ReadAvailable() {
  char buffer[4096];
  const ssize_t count = read(fd_, buffer, sizeof buffer);
  if (count > 0) {
    const std::uint64_t cutBefore = splitter_.CutLines();
    std::vector<std::string> lines =
        splitter_.Feed(std::string_view(buffer, static_cast<std::size_t>(count)));
    if (splitter_.CutLines() != cutBefore) {
      TerminalWrite("An input line is longer than " + std::to_string(LineSplitter::kLongestLine) +
                    " bytes; the rest of it is dropped.\n");
    }
    Deliver(std::move(lines));
    return;
  }
  if (count < 0 && (errno == EINTR || errno == EAGAIN)) {
    return;
  }
  // End of input (or an error reading it) ends only the reading, never the program.
  notifier_->setEnabled(false);
  notifier_.release()->deleteLater();
  Deliver(splitter_.Finish());
}

void TerminalInput::Deliver(std::vector<std::string> lines) {
  for (std::string& line : lines) {
    held_.push_back(std::move(line));
  }
  OfferHeld();
}

void TerminalInput::OfferHeld() {
  while (!held_.empty()) {
    if (!onLine_(held_.front())) {
      if (notifier_) {
        notifier_->setEnabled(false);
      }
      offerAgain_->start();
      return;
    }
    held_.pop_front();
  }
  if (notifier_) {
    notifier_->setEnabled(true);
  }
}

}  // namespace vex::fw
