#include "uaclient/client/win32/WinsockSocket.h"

#include <winsock2.h>
#include <ws2tcpip.h>

#include <climits>
#include <string>

namespace ua {
namespace {

SOCKET Handle(uintptr_t s) { return static_cast<SOCKET>(s); }

// Connects without blocking longer than timeoutMs; the socket is left blocking again.
bool ConnectWithin(SOCKET s, const sockaddr* address, int length, uint32_t timeoutMs) {
  u_long nonBlocking = 1;
  if (ioctlsocket(s, FIONBIO, &nonBlocking) != 0) return false;
  if (::connect(s, address, length) != 0) {
    if (WSAGetLastError() != WSAEWOULDBLOCK) return false;
    fd_set writable, failed;
    FD_ZERO(&writable);
    FD_ZERO(&failed);
    FD_SET(s, &writable);
    FD_SET(s, &failed);
    timeval wait{static_cast<long>(timeoutMs / 1000), static_cast<long>((timeoutMs % 1000) * 1000)};
    if (select(0, nullptr, &writable, &failed, &wait) != 1 || !FD_ISSET(s, &writable)) return false;
    int error = 0;
    int size = sizeof error;
    if (getsockopt(s, SOL_SOCKET, SO_ERROR, reinterpret_cast<char*>(&error), &size) != 0 || error != 0)
      return false;
  }
  nonBlocking = 0;
  return ioctlsocket(s, FIONBIO, &nonBlocking) == 0;
}

}  // namespace

WinsockSocket::WinsockSocket(uint32_t connectTimeoutMs)
    : socket_(static_cast<uintptr_t>(INVALID_SOCKET)), connectTimeoutMs_(connectTimeoutMs) {
  WSADATA data;
  started_ = WSAStartup(MAKEWORD(2, 2), &data) == 0;
}

WinsockSocket::~WinsockSocket() {
  Close();
  if (started_) WSACleanup();
}

bool WinsockSocket::Connect(const std::string& host, uint16_t port) {
  Close();
  if (!started_) return false;
  addrinfo hints{};
  hints.ai_family = AF_UNSPEC;
  hints.ai_socktype = SOCK_STREAM;
  hints.ai_protocol = IPPROTO_TCP;
  addrinfo* found = nullptr;
  if (getaddrinfo(host.c_str(), std::to_string(port).c_str(), &hints, &found) != 0) return false;
  for (addrinfo* a = found; a; a = a->ai_next) {
    // Not inherited, so that a process the host starts later cannot keep the connection open.
    const SOCKET s = WSASocketW(a->ai_family, a->ai_socktype, a->ai_protocol, nullptr, 0, WSA_FLAG_NO_HANDLE_INHERIT);
    if (s == INVALID_SOCKET) continue;
    if (ConnectWithin(s, a->ai_addr, static_cast<int>(a->ai_addrlen), connectTimeoutMs_)) {
      const BOOL one = TRUE;
      // Requests and replies are small and alternate: Nagle would hold each for the peer's delayed ack.
      setsockopt(s, IPPROTO_TCP, TCP_NODELAY, reinterpret_cast<const char*>(&one), sizeof one);
      socket_ = static_cast<uintptr_t>(s);
      break;
    }
    closesocket(s);
  }
  freeaddrinfo(found);
  return Handle(socket_) != INVALID_SOCKET;
}

int WinsockSocket::Send(const uint8_t* data, size_t size) {
  if (Handle(socket_) == INVALID_SOCKET || size > INT_MAX) return -1;
  size_t sent = 0;
  while (sent < size) {
    const int n = ::send(Handle(socket_), reinterpret_cast<const char*>(data + sent), static_cast<int>(size - sent), 0);
    if (n <= 0) return -1;
    sent += static_cast<size_t>(n);
  }
  return static_cast<int>(sent);
}

int WinsockSocket::Receive(uint8_t* buffer, size_t capacity, uint32_t timeoutMs) {
  if (Handle(socket_) == INVALID_SOCKET) return -1;
  if (capacity == 0) return 0;
  fd_set readable;
  FD_ZERO(&readable);
  FD_SET(Handle(socket_), &readable);
  timeval wait{static_cast<long>(timeoutMs / 1000), static_cast<long>((timeoutMs % 1000) * 1000)};
  const int ready = select(0, &readable, nullptr, nullptr, &wait);
  if (ready < 0) return -1;
  if (ready == 0) return 0;
  const int want = capacity > INT_MAX ? INT_MAX : static_cast<int>(capacity);
  const int n = ::recv(Handle(socket_), reinterpret_cast<char*>(buffer), want, 0);
  return n > 0 ? n : -1;  // 0 is the peer's orderly close
}

void WinsockSocket::Close() {
  if (Handle(socket_) != INVALID_SOCKET) closesocket(Handle(socket_));
  socket_ = static_cast<uintptr_t>(INVALID_SOCKET);
}

}  // namespace ua
