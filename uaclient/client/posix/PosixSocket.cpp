#include "uaclient/client/posix/PosixSocket.h"

#include <fcntl.h>
#include <netdb.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <string>

namespace ua {
namespace {

// Connects without blocking longer than timeoutMs; the socket is left blocking again.
bool ConnectWithin(int fd, const sockaddr* address, socklen_t length, uint32_t timeoutMs) {
  const int flags = fcntl(fd, F_GETFL, 0);
  if (flags < 0 || fcntl(fd, F_SETFL, flags | O_NONBLOCK) < 0) return false;
  int rc = ::connect(fd, address, length);
  if (rc != 0 && errno != EINPROGRESS) return false;
  if (rc != 0) {
    pollfd p{fd, POLLOUT, 0};
    do {
      rc = ::poll(&p, 1, static_cast<int>(timeoutMs));
    } while (rc < 0 && errno == EINTR);
    if (rc != 1) return false;
    int error = 0;
    socklen_t size = sizeof error;
    if (getsockopt(fd, SOL_SOCKET, SO_ERROR, &error, &size) != 0 || error != 0) return false;
  }
  return fcntl(fd, F_SETFL, flags) == 0;
}

}  // namespace

bool PosixSocket::Connect(const std::string& host, uint16_t port) {
  Close();
  addrinfo hints{};
  hints.ai_family = AF_UNSPEC;
  hints.ai_socktype = SOCK_STREAM;
  hints.ai_protocol = IPPROTO_TCP;
  addrinfo* found = nullptr;
  if (getaddrinfo(host.c_str(), std::to_string(port).c_str(), &hints, &found) != 0) return false;
  for (addrinfo* a = found; a; a = a->ai_next) {
    const int fd = ::socket(a->ai_family, a->ai_socktype | SOCK_CLOEXEC, a->ai_protocol);
    if (fd < 0) continue;
    if (ConnectWithin(fd, a->ai_addr, a->ai_addrlen, connectTimeoutMs_)) {
      const int one = 1;
      // Requests and replies are small and alternate: Nagle would hold each for the peer's delayed ack.
      setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);
      fd_ = fd;
      break;
    }
    ::close(fd);
  }
  freeaddrinfo(found);
  return fd_ >= 0;
}

int PosixSocket::Send(const uint8_t* data, size_t size) {
  if (fd_ < 0 || size > INT_MAX) return -1;
  size_t sent = 0;
  while (sent < size) {
    const ssize_t n = ::send(fd_, data + sent, size - sent, MSG_NOSIGNAL);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return -1;
    sent += static_cast<size_t>(n);
  }
  return static_cast<int>(sent);
}

int PosixSocket::Receive(uint8_t* buffer, size_t capacity, uint32_t timeoutMs) {
  if (fd_ < 0) return -1;
  if (capacity == 0) return 0;
  pollfd p{fd_, POLLIN, 0};
  int rc;
  do {
    rc = ::poll(&p, 1, static_cast<int>(timeoutMs > INT_MAX ? INT_MAX : timeoutMs));
  } while (rc < 0 && errno == EINTR);
  if (rc < 0) return -1;
  if (rc == 0) return 0;
  const size_t want = capacity > INT_MAX ? INT_MAX : capacity;
  ssize_t n;
  do {
    n = ::recv(fd_, buffer, want, 0);
  } while (n < 0 && errno == EINTR);
  return n > 0 ? static_cast<int>(n) : -1;  // 0 is the peer's orderly close
}

void PosixSocket::Close() {
  if (fd_ >= 0) ::close(fd_);
  fd_ = -1;
}

}  // namespace ua
