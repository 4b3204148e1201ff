#pragma once

#include <QObject>
#include <QTimer>
#include <cstdint>
#include <deque>
#include <string>
#include <string_view>

#include "remote/RconPacket.h"
#include "remote/ServiceCounts.h"
#include "remote/SignInGate.h"
#include "services/PacedWriter.h"
#include "services/RemoteHost.h"
#include "services/ThrottledReports.h"

class QTcpSocket;

namespace vex::services {

struct RconSettings;

// One remote-console client. Requests run one at a time in the order they came, as the protocol
// promises; the object deletes itself (deleteLater) when its socket closes.
class RconConnection : public QObject {
 public:
  // The address key is what bans count: the client's address without its port.
  RconConnection(QTcpSocket* socket, std::string peer, std::string addressKey,
                 const RconSettings& settings, IRemoteHost& host, remote::SignInGate& gate,
                 ThrottledReports& strangerReports, remote::SignInCounts& signIns);

  const std::string& AddressKey() const { return addressKey_; }
  bool SignedIn() const { return authenticated_; }
  // Sending its last packets before it closes: it holds no slot any more.
  bool Closing() const { return closing_; }
  // Closes a connection that has not signed in, so that a new client gets its slot.
  void MakeRoom() { Drop("made room for a new client"); }
  // Takes what the client sent and the event loop has not yet read, without waiting.
  void ReadNow();

 private:
  void ReadAvailable();
  bool TakeBufferedRequests();
  void Serve();
  void Authenticate(const remote::RconPacket& packet);
  void Execute(const remote::RconPacket& packet);
  void Answer(std::int32_t id, const std::string& text);
  void Send(std::string bytes);
  void PeerFinishedSending();
  void FinishIfDone();
  void Refuse();
  void Drop(std::string_view reason);
  void Close();

  QTcpSocket* socket_;
  PacedWriter writer_;
  std::string peer_;
  std::string addressKey_;
  const RconSettings& settings_;
  IRemoteHost& host_;
  remote::SignInGate& gate_;
  // What a client that has not signed in causes on the console goes through this.
  ThrottledReports& strangerReports_;
  remote::SignInCounts& signIns_;
  remote::RconReader reader_;
  std::deque<remote::RconPacket> requests_;
  QTimer idle_;
  bool authenticated_ = false;
  bool commandRunning_ = false;
  bool readPaused_ = false;    // the queue was full, so reading stopped
  bool peerFinished_ = false;  // the client sends nothing more but may still read
  bool closing_ = false;
};

}  // namespace vex::services
