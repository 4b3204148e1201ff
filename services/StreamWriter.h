#pragma once

#include <QObject>
#include <QSocketNotifier>
#include <functional>
#include <memory>
#include <string>
#include <string_view>

namespace vex::services {

// Writes to a connected TCP socket through a descriptor of its own, a duplicate of the socket's:
// Qt closes its descriptor the moment it reads the end of the peer's stream, but a client that
// shuts only its sending side after its commands still waits for the answers. The duplicate
// keeps the connection open for them until they are out.
class StreamWriter : public QObject {
 public:
  explicit StreamWriter(qintptr socketDescriptor);
  ~StreamWriter() override;
  StreamWriter(const StreamWriter&) = delete;
  StreamWriter& operator=(const StreamWriter&) = delete;

  // False when the descriptor could not be had or the peer can no longer be written to.
  bool Usable() const { return descriptor_ >= 0 && !failed_; }
  void Write(std::string_view bytes);
  std::size_t Pending() const { return buffer_.size(); }
  // Ends the connection once every byte is out, or at once when the peer is gone; then calls
  // `closed`.
  void CloseWhenWritten(std::function<void()> closed);
  void Close();

 private:
  void Flush();
  void Finish();

  int descriptor_ = -1;
  bool failed_ = false;
  std::string buffer_;
  std::unique_ptr<QSocketNotifier> writable_;
  std::function<void()> closed_;
};

}  // namespace vex::services
