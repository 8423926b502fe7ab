// The POSIX byte stream under a UA connection, against a listening socket of the test's own.
#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <thread>
#include <vector>

#include "uaclient/client/posix/PosixSocket.h"

namespace {

using ua::PosixSocket;

// A listening socket on 127.0.0.1 at a port the kernel picks.
struct Listener {
  int fd = -1;
  uint16_t port = 0;

  Listener() {
    fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t size = sizeof address;
    if (fd < 0 || ::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 || ::listen(fd, 4) != 0 ||
        ::getsockname(fd, reinterpret_cast<sockaddr*>(&address), &size) != 0) {
      Close();
      return;
    }
    port = ntohs(address.sin_port);
  }
  ~Listener() { Close(); }
  int Accept() const { return ::accept(fd, nullptr, nullptr); }
  void Close() {
    if (fd >= 0) ::close(fd);
    fd = -1;
  }
};

struct Connected : ::testing::Test {
  Listener listener;
  PosixSocket socket{2000};
  int server = -1;

  void SetUp() override {
    ASSERT_GE(listener.fd, 0);
    ASSERT_TRUE(socket.Connect("127.0.0.1", listener.port));
    server = listener.Accept();
    ASSERT_GE(server, 0);
  }
  void TearDown() override {
    if (server >= 0) ::close(server);
  }
};

TEST(PosixSocketConnect, FailsOnAClosedPortAndOnAnUnusableSocket) {
  uint16_t port;
  {
    Listener probe;
    ASSERT_GE(probe.fd, 0);
    port = probe.port;
  }  // closed: nothing listens there now
  PosixSocket socket(2000);
  EXPECT_FALSE(socket.Connect("127.0.0.1", port));
  uint8_t byte = 0;
  EXPECT_LT(socket.Send(&byte, 1), 0);
  EXPECT_LT(socket.Receive(&byte, 1, 10), 0);
}

TEST(PosixSocketConnect, TriesEveryAddressOfTheHost) {
  // "localhost" may resolve to ::1 first while the listener is on IPv4 only.
  Listener listener;
  ASSERT_GE(listener.fd, 0);
  PosixSocket socket(2000);
  ASSERT_TRUE(socket.Connect("localhost", listener.port));
  const int server = listener.Accept();
  ASSERT_GE(server, 0);
  const uint8_t hello[] = {'H', 'E', 'L'};
  EXPECT_EQ(socket.Send(hello, sizeof hello), 3);
  uint8_t got[3] = {};
  EXPECT_EQ(::recv(server, got, sizeof got, MSG_WAITALL), 3);
  EXPECT_EQ(std::vector<uint8_t>(got, got + 3), std::vector<uint8_t>(hello, hello + 3));
  ::close(server);
}

TEST_F(Connected, ReceiveReturnsZeroWhenNothingArrivesThenTheBytesThatDo) {
  uint8_t buffer[64];
  EXPECT_EQ(socket.Receive(buffer, sizeof buffer, 50), 0);
  const uint8_t reply[] = {1, 2, 3, 4, 5};
  ASSERT_EQ(::send(server, reply, sizeof reply, 0), 5);
  int total = 0;
  for (int tries = 0; tries < 100 && total < 5; ++tries) {
    const int n = socket.Receive(buffer + total, sizeof buffer - total, 1000);
    ASSERT_GE(n, 0);
    total += n;
  }
  ASSERT_EQ(total, 5);
  EXPECT_EQ(std::vector<uint8_t>(buffer, buffer + 5), std::vector<uint8_t>(reply, reply + 5));
  EXPECT_EQ(socket.Receive(buffer, 0, 10), 0);  // no room asked for: nothing read, nothing lost
}

TEST_F(Connected, ALargeSendArrivesWhole) {
  std::vector<uint8_t> big(1 << 20);
  for (size_t i = 0; i < big.size(); ++i) big[i] = static_cast<uint8_t>(i * 7);
  std::vector<uint8_t> got(big.size());
  // The kernel buffers less than this, so the peer drains while we send.
  int sent = 0;
  std::thread reader([&] { ::recv(server, got.data(), got.size(), MSG_WAITALL); });
  sent = socket.Send(big.data(), big.size());
  reader.join();
  EXPECT_EQ(sent, static_cast<int>(big.size()));
  EXPECT_EQ(got, big);
}

TEST_F(Connected, ThePeerClosingIsReportedAsAnErrorNotAsNoData) {
  ::close(server);
  server = -1;
  uint8_t buffer[16];
  EXPECT_LT(socket.Receive(buffer, sizeof buffer, 2000), 0);
}

TEST_F(Connected, CloseMakesFurtherUseFailAndIsRepeatable) {
  socket.Close();
  socket.Close();
  uint8_t byte = 7;
  EXPECT_LT(socket.Send(&byte, 1), 0);
  EXPECT_LT(socket.Receive(&byte, 1, 10), 0);
  // The server side sees the close.
  EXPECT_EQ(::recv(server, &byte, 1, 0), 0);
}

}  // namespace
