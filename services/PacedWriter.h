#pragma once

#include <QTimer>
#include <cstddef>
#include <deque>
#include <functional>
#include <string>

#include "services/StreamWriter.h"

namespace vex::services {

// The packets to one remote console client, each in a write of its own and a pause after the
// one before. Several clients take one packet from each read of their socket and drop whatever
// came with it; they work with the reference servers because the network parts those servers'
// packets on the way, and the pause stands for that network.
class PacedWriter {
 public:
  PacedWriter(qintptr socketDescriptor, int pauseMs);
  // What still waits goes out at once, as far as the socket takes it: the last answer before a
  // stop must not wait for an event loop that the stop ends.
  ~PacedWriter();
  PacedWriter(const PacedWriter&) = delete;
  PacedWriter& operator=(const PacedWriter&) = delete;

  bool Usable() const { return writer_.Usable(); }
  void Write(std::string packet);
  // Bytes not yet taken by the client, waiting here or in the socket's writer.
  std::size_t Pending() const { return waitingBytes_ + writer_.Pending(); }
  // Ends the connection once every packet is out; then calls `closed`.
  void CloseWhenWritten(std::function<void()> closed);
  // At once, whatever is still waiting.
  void Close();

 private:
  void WriteNext();

  StreamWriter writer_;
  std::deque<std::string> waiting_;
  std::size_t waitingBytes_ = 0;
  QTimer pause_;
  std::function<void()> closed_;
};

}  // namespace vex::services
