// The UA connection's byte stream over POSIX TCP sockets, for the native build (tests and tools).
#pragma once

#include "uaclient/client/SocketPort.h"

namespace ua {

class PosixSocket : public SocketPort {
 public:
  explicit PosixSocket(uint32_t connectTimeoutMs = 5000) : connectTimeoutMs_(connectTimeoutMs) {}
  ~PosixSocket() override { Close(); }
  PosixSocket(const PosixSocket&) = delete;
  PosixSocket& operator=(const PosixSocket&) = delete;

  // Tries each address of the host in turn; false when none accepts within the timeout.
  bool Connect(const std::string& host, uint16_t port) override;
  int Send(const uint8_t* data, size_t size) override;
  int Receive(uint8_t* buffer, size_t capacity, uint32_t timeoutMs) override;
  void Close() override;

 private:
  int fd_ = -1;
  uint32_t connectTimeoutMs_;
};

}  // namespace ua
