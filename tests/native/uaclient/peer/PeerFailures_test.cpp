// How a real connection ends: closed by us, a server that hangs, a server that is killed.
#include "PeerFixture.h"

namespace ua_peer_test {
namespace {

// Hang guard for the session to notice a failure; far above what detection needs, far below the stall.
constexpr uint64_t kFailureGuardMs = 15000;

using SessionEnd = PeerFixture;

// The server answers the Publishes still waiting with faults (BadSessionClosed; BadNoSubscription after
// DeleteSubscriptions) before it answers CloseSession: an orderly close all the same.
void ExpectOrderlyClose(UaSession& session) {
  const uint64_t start = NowMs();
  session.Close();
  EXPECT_LT(NowMs() - start, kFailureGuardMs);
  EXPECT_EQ(session.state(), SessionState::Closed)
      << ToString(session.failure()) << ": " << session.reason() << " status 0x" << std::hex
      << session.failureStatus().code;
  EXPECT_EQ(session.failure(), SessionFailure::None);
}

TEST_F(SessionEnd, CloseOnARunningSessionIsOrderlyAndTheServerTakesANewSession) {
  Connect();
  PumpAFewCycles(3);
  ASSERT_EQ(session->state(), SessionState::Running) << session->reason();
  ASSERT_GT(session->outstandingPublishes(), 0u);
  ExpectOrderlyClose(*session);
  EXPECT_FALSE(session->PumpPublish());

  // The server is unharmed and still delivers to the next session.
  PosixSocket second;
  UaSession next(second, config, NowMs, [&](const std::vector<std::vector<Variant>>& events) {
    for (const auto& fields : events) raw.push_back(fields);
  });
  ASSERT_TRUE(next.Connect()) << next.reason();
  ASSERT_TRUE(Control("burst 1", "ok burst 1"));
  const uint64_t guard = NowMs();
  while (raw.empty() && next.PumpPublish() && NowMs() - guard < kEventGuardMs) {
  }
  EXPECT_EQ(raw.size(), 1u) << next.reason();
  next.Close();
  EXPECT_EQ(next.state(), SessionState::Closed) << next.reason();
}

TEST_F(SessionEnd, CloseThatDeletesTheSubscriptionFirstIsOrderlyToo) {
  config.deleteSubscriptionsOnClose = true;
  Connect();
  PumpAFewCycles(3);
  ASSERT_EQ(session->state(), SessionState::Running) << session->reason();
  ExpectOrderlyClose(*session);
}

TEST_F(SessionEnd, AStalledServerTimesOutTheSession) {
  config.requestTimeoutMs = 2000;
  Connect();
  ASSERT_TRUE(control.Send("stall 20")) << control.error();
  const uint64_t start = NowMs();
  EXPECT_TRUE(PumpUntil([&] { return session->state() != SessionState::Running; }, kFailureGuardMs))
      << "still running after " << kFailureGuardMs << " ms";
  const uint64_t took = NowMs() - start;
  EXPECT_EQ(session->state(), SessionState::Dead);
  EXPECT_EQ(session->failure(), SessionFailure::Timeout) << session->reason();
  // Publishes may wait at the server, so the limit is the keep-alive period plus the request timeout.
  EXPECT_GE(took, 1000u) << "gave up before the server could have answered a keep-alive";
  // Leave a responsive server behind for the next test.
  std::string reply;
  EXPECT_TRUE(control.ReadLine(reply, kControlGuardMs)) << control.error();
  EXPECT_EQ(reply, "ok stall 20");
}

using ChannelRenewal = PeerFixture;

TEST_F(ChannelRenewal, ANewTokenKeepsTheSessionAndItsEvents) {
  config.channelLifetimeMs = 3000;  // renewed at three quarters, unless the server grants longer
  Connect();
  const uint32_t firstToken = session->tokenId();
  ASSERT_TRUE(PumpUntil([&] { return session->tokenId() != firstToken; }))
      << ToString(session->failure()) << ": " << session->reason();
  ASSERT_EQ(session->state(), SessionState::Running) << session->reason();
  // Events still flow on the renewed channel.
  ASSERT_TRUE(Control("burst 3", "ok burst 3"));
  ASSERT_TRUE(PumpUntil([&] { return raw.size() >= 3; })) << session->reason() << Describe();
  PumpAFewCycles();
  EXPECT_EQ(raw.size(), 3u) << Describe();
  EXPECT_EQ(session->state(), SessionState::Running) << session->reason();
}

// Run on its own server (see CMakeLists.txt): it ends the server.
using KilledServer = PeerFixture;

TEST_F(KilledServer, TheSessionDiesWithConnectionClosedWithoutHanging) {
  Connect();
  ASSERT_TRUE(control.Send("exit")) << control.error();
  EXPECT_TRUE(PumpUntil([&] { return session->state() != SessionState::Running; }, kFailureGuardMs))
      << "still running after " << kFailureGuardMs << " ms";
  EXPECT_EQ(session->state(), SessionState::Dead);
  EXPECT_EQ(session->failure(), SessionFailure::ConnectionClosed) << session->reason();
  EXPECT_FALSE(session->Refresh());
  // Close after a failure only drops what is left.
  session->Close();
  EXPECT_EQ(session->state(), SessionState::Dead);
}

}  // namespace
}  // namespace ua_peer_test
