// The UA connection's byte stream over Winsock, for WTclient.dll.
#pragma once

#include "uaclient/client/SocketPort.h"

namespace ua {

class WinsockSocket : public SocketPort {
 public:
  explicit WinsockSocket(uint32_t connectTimeoutMs = 5000);
  ~WinsockSocket() override;
  WinsockSocket(const WinsockSocket&) = delete;
  WinsockSocket& operator=(const WinsockSocket&) = delete;

  // Tries each address of the host in turn; false when none accepts within the timeout.
  bool Connect(const std::string& host, uint16_t port) override;
  int Send(const uint8_t* data, size_t size) override;
  int Receive(uint8_t* buffer, size_t capacity, uint32_t timeoutMs) override;
  void Close() override;

 private:
  uintptr_t socket_;  // a SOCKET, kept out of this header so that it does not pull in winsock2.h
  bool started_ = false;
  uint32_t connectTimeoutMs_;
};

}  // namespace ua
