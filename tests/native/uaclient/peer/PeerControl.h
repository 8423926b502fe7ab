// The test side of the scripted UA alarm server started by scripts/with-ua-peer.sh: where it is, and its
// line-command control port (script, burst N, stall S, exit, quit).
#pragma once

#include <cstdint>
#include <string>

namespace ua_peer_test {

// Why the peer cannot be used in this run (not started through the harness, or the harness said it is
// unavailable); empty when it can.
std::string PeerUnavailableReason();
// The server's opc.tcp URL (VELMARIC_UA_ENDPOINT).
std::string PeerEndpoint();

// One connection to the control port (VELMARIC_UA_CONTROL, "host:port"). Every failure leaves a reason
// in error() rather than throwing, so a test can report it.
class PeerControl {
 public:
  PeerControl() = default;
  ~PeerControl();
  PeerControl(const PeerControl&) = delete;
  PeerControl& operator=(const PeerControl&) = delete;

  bool Open(const std::string& hostPort);
  // Sends one command line.
  bool Send(const std::string& command);
  // The next reply line without its newline; false when none came within timeoutMs or the peer closed.
  bool ReadLine(std::string& line, uint32_t timeoutMs);
  // Send and ReadLine; the reply, or "" on failure.
  std::string Command(const std::string& command, uint32_t timeoutMs = 120000);
  void Close();

  const std::string& error() const { return error_; }

 private:
  int fd_ = -1;
  std::string buffered_;
  std::string error_;
};

}  // namespace ua_peer_test
