// A real UaSession over a PosixSocket against the scripted UA alarm server, pumped on the test thread,
// with every delivered event kept raw and mapped to an AE record.
#pragma once

#include <gtest/gtest.h>

#include <chrono>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "PeerControl.h"
#include "plant/SimEvent.h"
#include "uaclient/AlarmMapping.h"
#include "uaclient/client/UaSession.h"
#include "uaclient/client/posix/PosixSocket.h"

namespace ua_peer_test {

using namespace ua;

inline uint64_t NowMs() {
  return static_cast<uint64_t>(
      std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now().time_since_epoch())
          .count());
}

// Hang guards only: generous enough for a loaded two-core machine under sanitizers.
constexpr uint64_t kEventGuardMs = 60000;
constexpr uint32_t kControlGuardMs = 120000;

// The numeric id in an event's EventType field, or 0 when it is not a namespace 0 numeric id.
inline uint32_t StandardTypeOf(const std::vector<Variant>& fields) {
  if (fields.size() <= kFieldEventType) return 0;
  const NodeId* type = fields[kFieldEventType].ScalarIf<NodeId>();
  return type && type->namespaceIndex == 0 && type->idType == IdType::Numeric ? type->numeric : 0;
}

inline std::string TextOf(const ::String& text) { return std::string(text.begin(), text.end()); }

struct PeerFixture : ::testing::Test {
  SessionConfig config;
  PosixSocket socket;
  std::unique_ptr<UaSession> session;
  PeerControl control;
  AlarmEventMapper mapper;
  std::vector<std::vector<Variant>> raw;  // every delivered event, in delivery order
  std::vector<wtsim::SimEvent> mapped;    // raw[i] mapped

  void SetUp() override {
    const std::string unavailable = PeerUnavailableReason();
    if (!unavailable.empty()) GTEST_SKIP() << unavailable;
    config.endpointUrl = PeerEndpoint();
    // Short periods keep the tests quick; the liveness limit is publishing interval x keep-alive count.
    config.publishingIntervalMs = 100;
    config.keepAliveCount = 5;
    config.lifetimeCount = 30;
    ASSERT_TRUE(control.Open(std::getenv("VELMARIC_UA_CONTROL"))) << control.error();
  }

  void TearDown() override {
    if (session) session->Close();
  }

  // One line per delivered event, for failure messages.
  std::string Describe() const {
    std::string out;
    for (size_t i = 0; i < mapped.size(); ++i) {
      out += "\n  " + std::to_string(i) + ": type i=" + std::to_string(StandardTypeOf(raw[i])) + " source '" +
             TextOf(mapped[i].source) + "' condition '" + TextOf(mapped[i].condition) + "' message '" +
             TextOf(mapped[i].message) + "' severity " + std::to_string(mapped[i].severity) + " state " +
             std::to_string(mapped[i].newState) + " category " + std::to_string(mapped[i].category);
    }
    return out;
  }

  void MakeSession() {
    session = std::make_unique<UaSession>(socket, config, NowMs, [this](const std::vector<std::vector<Variant>>& events) {
      for (const auto& fields : events) {
        raw.push_back(fields);
        mapped.push_back(mapper.Map(fields, ReceiveTime()));
      }
    });
  }

  void Connect() {
    MakeSession();
    ASSERT_TRUE(session->Connect()) << ToString(session->failure()) << ": " << session->reason();
    ASSERT_TRUE(session->PumpPublish()) << session->reason();
  }

  static uint64_t ReceiveTime() {
    const auto since1970 = std::chrono::duration_cast<std::chrono::milliseconds>(
                               std::chrono::system_clock::now().time_since_epoch())
                               .count();
    return wtsim::kFileTimeUnixEpoch + static_cast<uint64_t>(since1970) * wtsim::kFileTimePerMs;
  }

  // Pumps until done() holds or the session stops running; false when the guard ran out first.
  bool PumpUntil(const std::function<bool()>& done, uint64_t guardMs = kEventGuardMs) {
    const uint64_t start = NowMs();
    while (!done()) {
      if (!session->PumpPublish()) return done();
      if (NowMs() - start > guardMs) return false;
    }
    return true;
  }

  // A few more publishing cycles, so that a duplicate or a stray extra event would have time to show.
  void PumpAFewCycles(int cycles = 10) {
    const uint64_t until = NowMs() + static_cast<uint64_t>(cycles * config.publishingIntervalMs);
    while (NowMs() < until && session->PumpPublish()) {
    }
  }

  // A control command that must get the given reply; false (and a failure recorded) otherwise.
  bool Control(const std::string& command, const std::string& reply) {
    const std::string got = control.Command(command, kControlGuardMs);
    EXPECT_EQ(got, reply) << control.error();
    return got == reply;
  }

  std::string CategoryName(uint32_t id) const {
    for (const auto& category : mapper.Categories().Categories()) {
      if (category.id == id) return TextOf(category.name);
    }
    return "<no category " + std::to_string(id) + ">";
  }
};

}  // namespace ua_peer_test
