#include "PeerControl.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <cstring>

namespace ua_peer_test {

namespace {

std::string Env(const char* name) {
  const char* value = std::getenv(name);
  return value ? value : "";
}

}  // namespace

std::string PeerUnavailableReason() {
  const std::string unavailable = Env("VELMARIC_UA_PEER_UNAVAILABLE");
  if (!unavailable.empty()) return "UA peer unavailable: " + unavailable;
  if (Env("VELMARIC_UA_ENDPOINT").empty() || Env("VELMARIC_UA_CONTROL").empty())
    return "no UA peer: run through scripts/with-ua-peer.sh";
  return "";
}

std::string PeerEndpoint() { return Env("VELMARIC_UA_ENDPOINT"); }

PeerControl::~PeerControl() { Close(); }

bool PeerControl::Open(const std::string& hostPort) {
  Close();
  const auto colon = hostPort.rfind(':');
  if (colon == std::string::npos) {
    error_ = "not host:port: " + hostPort;
    return false;
  }
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_port = htons(static_cast<uint16_t>(std::atoi(hostPort.c_str() + colon + 1)));
  if (inet_pton(AF_INET, hostPort.substr(0, colon).c_str(), &address.sin_addr) != 1) {
    error_ = "not an IPv4 address: " + hostPort;
    return false;
  }
  fd_ = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  if (fd_ < 0 || ::connect(fd_, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0) {
    error_ = std::string("cannot connect to the control port: ") + std::strerror(errno);
    Close();
    return false;
  }
  return true;
}

bool PeerControl::Send(const std::string& command) {
  if (fd_ < 0) {
    error_ = "control port not open";
    return false;
  }
  const std::string line = command + "\n";
  size_t sent = 0;
  while (sent < line.size()) {
    const ssize_t n = ::send(fd_, line.data() + sent, line.size() - sent, MSG_NOSIGNAL);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) {
      error_ = std::string("control send failed: ") + std::strerror(errno);
      return false;
    }
    sent += static_cast<size_t>(n);
  }
  return true;
}

bool PeerControl::ReadLine(std::string& line, uint32_t timeoutMs) {
  using Clock = std::chrono::steady_clock;
  const auto deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);
  for (;;) {
    const auto newline = buffered_.find('\n');
    if (newline != std::string::npos) {
      line = buffered_.substr(0, newline);
      buffered_.erase(0, newline + 1);
      return true;
    }
    if (fd_ < 0) {
      error_ = "control port not open";
      return false;
    }
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
    if (left <= 0) {
      error_ = "no reply from the control port within " + std::to_string(timeoutMs) + " ms";
      return false;
    }
    pollfd p{fd_, POLLIN, 0};
    const int ready = ::poll(&p, 1, static_cast<int>(left));
    if (ready < 0 && errno == EINTR) continue;
    if (ready <= 0) continue;  // the deadline check above ends the wait
    char chunk[512];
    const ssize_t n = ::recv(fd_, chunk, sizeof chunk, 0);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) {
      error_ = "the control port closed";
      return false;
    }
    buffered_.append(chunk, static_cast<size_t>(n));
  }
}

std::string PeerControl::Command(const std::string& command, uint32_t timeoutMs) {
  std::string reply;
  if (!Send(command) || !ReadLine(reply, timeoutMs)) return "";
  return reply;
}

void PeerControl::Close() {
  if (fd_ >= 0) ::close(fd_);
  fd_ = -1;
  buffered_.clear();
}

}  // namespace ua_peer_test
