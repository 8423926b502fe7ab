// The byte stream a UA connection runs over, kept abstract so the connection logic runs against an in-memory
// fake in tests and against Winsock or POSIX sockets in the product.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace ua {

class SocketPort {
 public:
  virtual ~SocketPort() = default;
  virtual bool Connect(const std::string& host, uint16_t port) = 0;
  // Bytes written (all of them, or <0 on error).
  virtual int Send(const uint8_t* data, size_t size) = 0;
  // Bytes read; 0 when nothing arrived within timeoutMs; <0 when the peer closed or the socket failed.
  virtual int Receive(uint8_t* buffer, size_t capacity, uint32_t timeoutMs) = 0;
  virtual void Close() = 0;
};

}  // namespace ua
