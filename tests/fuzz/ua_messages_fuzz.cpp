// libFuzzer target for the UA client above the value decoders: whole service responses as the client decodes
// them, notifications mapped into AE records, the message channel's chunk assembly and splitting, and a
// running session fed hostile server messages. The first byte picks the path:
//   0  response: [type selector] [service message: encoding id + fields]
//   1  notification body: [EventNotificationList fields], straight into the alarm feed
//   2  channel: [12 bytes of limits, see ChannelSetup] [stream after the Acknowledge]
//   3  session: records [kind] [length u16 LE] [bytes], see RunSession
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <deque>
#include <string>
#include <vector>

#include "uaclient/AlarmFeed.h"
#include "uaclient/Decoder.h"
#include "uaclient/Encoder.h"
#include "uaclient/SecureChunk.h"
#include "uaclient/Transport.h"
#include "uaclient/client/MessageChannel.h"
#include "uaclient/client/UaSession.h"
#include "uaclient/services/CallService.h"
#include "uaclient/services/GetEndpointsService.h"
#include "uaclient/services/MonitoredItemServices.h"
#include "uaclient/services/PublishService.h"
#include "uaclient/services/SecureChannelServices.h"
#include "uaclient/services/ServiceCodec.h"
#include "uaclient/services/SessionServices.h"
#include "uaclient/services/SubscriptionServices.h"

// The unit tests' in-memory server gets a session to Running without a network.
#include "tests/native/uaclient/client/FakeServer.h"

#define UA_FUZZ_CHECK(condition)                                                         \
  do {                                                                                   \
    if (!(condition)) {                                                                  \
      std::fprintf(stderr, "%s:%d: check failed: %s\n", __FILE__, __LINE__, #condition); \
      std::abort();                                                                      \
    }                                                                                    \
  } while (0)

namespace {

using Bytes = std::vector<uint8_t>;
using Events = std::vector<std::vector<ua::Variant>>;

uint16_t Le16(const uint8_t* p) { return static_cast<uint16_t>(p[0] | (p[1] << 8)); }

// ---------------------------------------------------------------------------------------------------------
// Alarm feed

bool SameRecord(const wtsim::SimEvent& a, const wtsim::SimEvent& b) {
  return a.changeMask == b.changeMask && a.newState == b.newState && a.source == b.source && a.time == b.time &&
         a.message == b.message && a.eventType == b.eventType && a.category == b.category &&
         a.severity == b.severity && a.condition == b.condition && a.subcondition == b.subcondition &&
         a.quality == b.quality && a.ackRequired == b.ackRequired && a.activeTime == b.activeTime &&
         a.cookie == b.cookie && a.actor == b.actor;
}

bool SameBatch(const wtsim::Batch& a, const wtsim::Batch& b) {
  return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), SameRecord);
}

// What the control relies on in every record it receives.
void CheckRecord(const wtsim::SimEvent& r) {
  UA_FUZZ_CHECK(r.severity >= 1 && r.severity <= 1000);
  const uint32_t low = r.category & 0xFF;
  UA_FUZZ_CHECK(low == 0 || low == 1 || low == 3);
  UA_FUZZ_CHECK(r.category >= ua::kCategoryMinimumTypeId);
  UA_FUZZ_CHECK(r.eventType == wtsim::kSimpleEvent || r.eventType == wtsim::kConditionEvent);
  UA_FUZZ_CHECK(r.quality == wtsim::kQualityGood);
  UA_FUZZ_CHECK(r.subcondition.empty() && r.actor.empty());
  if (r.eventType == wtsim::kSimpleEvent) {
    UA_FUZZ_CHECK(r.changeMask == 0 && r.newState == 0 && !r.ackRequired && r.activeTime == 0);
    UA_FUZZ_CHECK(low == 0);
  } else {
    UA_FUZZ_CHECK((r.newState & wtsim::kStateEnabled) != 0);
    UA_FUZZ_CHECK(r.ackRequired == ((r.newState & wtsim::kStateAcked) == 0));
    // An acknowledgement is only ever reported for something that is now acknowledged.
    if (low == 3) UA_FUZZ_CHECK(!r.ackRequired);
  }
}

// Feeds the events in one batch and again one by one: the records must not depend on how the server split
// its notifications, and all of them must satisfy CheckRecord.
void CheckFeed(const Events& events, uint64_t receiveTime) {
  ua::AlarmFeed whole;
  const ua::FeedOutput all = whole.Take(events, receiveTime);
  UA_FUZZ_CHECK(all.refreshEnded || all.refresh.empty());
  UA_FUZZ_CHECK(all.live.size() + all.refresh.size() <= events.size());
  for (const auto& r : all.live) CheckRecord(r);
  for (const auto& r : all.refresh) CheckRecord(r);

  ua::AlarmFeed single;
  wtsim::Batch live;
  wtsim::Batch lastRefresh;
  bool ended = false;
  for (const auto& fields : events) {
    ua::FeedOutput out = single.Take(Events{fields}, receiveTime);
    live.insert(live.end(), out.live.begin(), out.live.end());
    if (out.refreshEnded) {
      ended = true;
      lastRefresh = std::move(out.refresh);
    }
  }
  UA_FUZZ_CHECK(SameBatch(live, all.live));
  UA_FUZZ_CHECK(ended == all.refreshEnded);
  UA_FUZZ_CHECK(SameBatch(lastRefresh, all.refresh));
  UA_FUZZ_CHECK(single.InRefresh() == whole.InRefresh());
  UA_FUZZ_CHECK(single.Mapper().Memory().Size() == whole.Mapper().Memory().Size());

  // Abandoning a refresh closes the bracket and nothing collected so far resurfaces.
  whole.AbandonRefresh();
  UA_FUZZ_CHECK(!whole.InRefresh());
  static const Events kEnd = {{ua::Variant(), ua::Variant::Scalar(ua::NodeId::Numeric(0, ua::kRefreshEndEventTypeId))}};
  const ua::FeedOutput after = whole.Take(kEnd, receiveTime);
  UA_FUZZ_CHECK(!after.refreshEnded && after.live.empty());
}

// ---------------------------------------------------------------------------------------------------------
// Responses

// Encodes, decodes and encodes again: the two encodings must be the same bytes, never longer than the input.
template <typename Message>
void CheckReencodes(const Message& message, size_t inputSize) {
  Bytes once;
  UA_FUZZ_CHECK(ua::EncodeMessage(message, once));
  UA_FUZZ_CHECK(once.size() <= inputSize);
  Message again;
  const ua::MessageStatus status = ua::DecodeMessage(once.data(), once.size(), again);
  UA_FUZZ_CHECK(status.ok());
  Bytes twice;
  UA_FUZZ_CHECK(ua::EncodeMessage(again, twice));
  UA_FUZZ_CHECK(twice == once);
}

template <typename Response>
bool CheckResponse(const uint8_t* data, size_t size, Response& response) {
  const ua::MessageStatus status = ua::DecodeResponse(data, size, response);
  switch (status.error) {
    case ua::MessageError::None: CheckReencodes(response, size); return true;
    case ua::MessageError::ServiceFault: {
      // The fault must read the same when asked for directly.
      ua::ServiceFault fault;
      UA_FUZZ_CHECK(ua::DecodeMessage(data, size, fault).ok());
      UA_FUZZ_CHECK(fault.responseHeader.serviceResult == status.serviceResult);
      UA_FUZZ_CHECK(fault.responseHeader.requestHandle == status.requestHandle);
      UA_FUZZ_CHECK(status.receivedTypeId == ua::ServiceFault::kEncodingId);
      CheckReencodes(fault, size);
      return false;
    }
    case ua::MessageError::UnexpectedType:
      UA_FUZZ_CHECK(status.receivedTypeId != Response::kEncodingId);
      return false;
    case ua::MessageError::Malformed: UA_FUZZ_CHECK(status.decodeError != ua::DecodeError::None); return false;
  }
  UA_FUZZ_CHECK(false);
  return false;
}

void CheckNotifications(const ua::NotificationMessage& message) {
  ua::DecodedNotifications decoded;
  if (ua::DecodeNotifications(message, decoded) != ua::DecodeError::None) return;
  UA_FUZZ_CHECK(decoded.eventLists.size() + decoded.statusChanges.size() + decoded.ignored ==
                message.notificationData.size());
  Events events;
  for (const auto& list : decoded.eventLists) {
    // A decoded list packs back into an ExtensionObject that unpacks to the same bytes.
    ua::ExtensionObject packed;
    UA_FUZZ_CHECK(ua::PackExtensionObject(list, ua::EventNotificationList::kEncodingId, packed));
    ua::EventNotificationList again;
    UA_FUZZ_CHECK(ua::UnpackExtensionObject(packed, again) == ua::DecodeError::None);
    ua::ExtensionObject repacked;
    UA_FUZZ_CHECK(ua::PackExtensionObject(again, ua::EventNotificationList::kEncodingId, repacked));
    UA_FUZZ_CHECK(repacked == packed);
    for (const auto& event : list.events) events.push_back(event.eventFields);
  }
  CheckFeed(events, 133000000000000000ull);
}

void RunResponse(const uint8_t* data, size_t size) {
  if (size < 1) return;
  const uint8_t selector = data[0];
  ++data;
  --size;
  switch (selector % 11) {
    case 0: { ua::OpenSecureChannelResponse r; CheckResponse(data, size, r); break; }
    case 1: { ua::GetEndpointsResponse r; if (CheckResponse(data, size, r)) ua::FindAnonymousNoneEndpoint(r.endpoints); break; }
    case 2: { ua::CreateSessionResponse r; CheckResponse(data, size, r); break; }
    case 3: { ua::ActivateSessionResponse r; CheckResponse(data, size, r); break; }
    case 4: { ua::CloseSessionResponse r; CheckResponse(data, size, r); break; }
    case 5: { ua::CreateSubscriptionResponse r; CheckResponse(data, size, r); break; }
    case 6: { ua::DeleteSubscriptionsResponse r; CheckResponse(data, size, r); break; }
    case 7: { ua::CreateMonitoredItemsResponse r; CheckResponse(data, size, r); break; }
    case 8: {
      ua::PublishResponse r;
      if (CheckResponse(data, size, r)) CheckNotifications(r.notificationMessage);
      break;
    }
    case 9: { ua::CallResponse r; CheckResponse(data, size, r); break; }
    default: { ua::ServiceFault r; CheckResponse(data, size, r); break; }
  }
}

// A bare EventNotificationList body, so the mapping gets hostile field lists without the Publish wrapping.
void RunNotificationBody(const uint8_t* data, size_t size) {
  ua::EventNotificationList list;
  ua::Decoder d(data, size);
  if (!list.Decode(d)) return;
  Events events;
  for (const auto& event : list.events) events.push_back(event.eventFields);
  CheckFeed(events, 0);
}

// ---------------------------------------------------------------------------------------------------------
// Message channel

constexpr uint32_t kChannelId = 77;
constexpr uint32_t kTokenId = 5;

// Hands out the server's bytes in pieces of input-chosen sizes, then nothing (a timeout); keeps what the
// client sends.
class PieceSocket : public ua::SocketPort {
 public:
  PieceSocket(Bytes stream, uint32_t pieceSeed) : stream_(std::move(stream)), rng_(pieceSeed * 2654435761u + 1) {
    limit_ = pieceSeed == 0 ? 0 : 1 + pieceSeed * 4;
  }
  bool Connect(const std::string&, uint16_t) override { return true; }
  int Send(const uint8_t* data, size_t size) override {
    sent.insert(sent.end(), data, data + size);
    return static_cast<int>(size);
  }
  int Receive(uint8_t* buffer, size_t capacity, uint32_t) override {
    if (offset_ == stream_.size()) return 0;
    size_t n = std::min(capacity, stream_.size() - offset_);
    if (limit_ != 0) {
      rng_ ^= rng_ << 13;
      rng_ ^= rng_ >> 17;
      rng_ ^= rng_ << 5;
      n = std::min<size_t>(n, 1 + rng_ % limit_);
    }
    std::copy(stream_.begin() + static_cast<std::ptrdiff_t>(offset_),
              stream_.begin() + static_cast<std::ptrdiff_t>(offset_ + n), buffer);
    offset_ += n;
    return static_cast<int>(n);
  }
  void Close() override {}
  bool Exhausted() const { return offset_ == stream_.size(); }

  Bytes sent;

 private:
  Bytes stream_;
  size_t offset_ = 0;
  uint32_t rng_;
  uint32_t limit_;
};

// One service message as an independent reading of the stream would assemble it, ignoring every check
// but the chunk framing.
struct ModelMessage {
  bool aborted = false;
  ua::MessageType type = ua::MessageType::Message;
  uint32_t requestId = 0;
  Bytes body;
  uint32_t chunks = 0;
};

// Every message the stream holds up to the first chunk the channel must refuse outright. The channel may
// stop earlier on a check this model leaves out, but it can never deliver anything else.
std::vector<ModelMessage> ModelStream(const Bytes& stream, uint32_t maxChunkSize) {
  std::vector<ModelMessage> out;
  ModelMessage partial;
  size_t pos = 0;
  while (pos < stream.size()) {
    const ua::ChunkProbe probe = ua::ProbeChunk(stream.data() + pos, stream.size() - pos, maxChunkSize);
    if (probe.status != ua::ChunkStatus::Complete) break;
    const ua::MessageType type = probe.header.type;
    if (type != ua::MessageType::Open && type != ua::MessageType::Message && type != ua::MessageType::Close) break;
    ua::SecureChunk chunk;
    if (ua::ParseSecureChunk(stream.data() + pos, probe.length, chunk) != ua::DecodeError::None) break;
    const uint8_t* body = stream.data() + pos + chunk.bodyOffset;
    pos += probe.length;
    if (chunk.header.chunk == ua::ChunkType::Abort) {
      ModelMessage aborted;
      aborted.aborted = true;
      aborted.type = type;
      aborted.requestId = chunk.sequence.requestId;
      out.push_back(aborted);
      partial = ModelMessage();
      continue;
    }
    partial.body.insert(partial.body.end(), body, body + chunk.bodySize);
    ++partial.chunks;
    if (chunk.header.chunk == ua::ChunkType::Intermediate) continue;
    partial.type = type;
    partial.requestId = chunk.sequence.requestId;
    out.push_back(std::move(partial));
    partial = ModelMessage();
  }
  return out;
}

// Checks what the channel sent for one request: chunks within the server's limits, consecutive sequence
// numbers, one request id, intermediate chunks then a final one, and the body intact.
void CheckSent(const Bytes& sent, const Bytes& body, uint32_t requestId, const ua::AcknowledgeMessage& server,
               uint32_t localSendBuffer) {
  const uint32_t chunkLimit = std::min(server.receiveBufferSize, localSendBuffer);
  Bytes joined;
  size_t pos = 0;
  uint32_t chunks = 0;
  uint32_t firstSequence = 0;
  bool final = false;
  while (pos < sent.size()) {
    UA_FUZZ_CHECK(!final);
    const ua::ChunkProbe probe = ua::ProbeChunk(sent.data() + pos, sent.size() - pos, chunkLimit);
    UA_FUZZ_CHECK(probe.status == ua::ChunkStatus::Complete);
    ua::SecureChunk chunk;
    UA_FUZZ_CHECK(ua::ParseSecureChunk(sent.data() + pos, probe.length, chunk) == ua::DecodeError::None);
    UA_FUZZ_CHECK(chunk.header.type == ua::MessageType::Message);
    UA_FUZZ_CHECK(chunk.secureChannelId == kChannelId && chunk.tokenId == kTokenId);
    UA_FUZZ_CHECK(chunk.sequence.requestId == requestId);
    if (chunks == 0) firstSequence = chunk.sequence.sequenceNumber;
    UA_FUZZ_CHECK(chunk.sequence.sequenceNumber == firstSequence + chunks);
    final = chunk.header.chunk == ua::ChunkType::Final;
    UA_FUZZ_CHECK(final || chunk.header.chunk == ua::ChunkType::Intermediate);
    joined.insert(joined.end(), sent.begin() + static_cast<std::ptrdiff_t>(pos + chunk.bodyOffset),
                  sent.begin() + static_cast<std::ptrdiff_t>(pos + probe.length));
    pos += probe.length;
    ++chunks;
  }
  UA_FUZZ_CHECK(final);
  UA_FUZZ_CHECK(server.maxChunkCount == 0 || chunks <= server.maxChunkCount);
  UA_FUZZ_CHECK(server.maxMessageSize == 0 || joined.size() <= server.maxMessageSize);
  UA_FUZZ_CHECK(joined == body);
}

// Layout after the path byte (12 bytes, then the stream):
//   [0] local maxChunkCount % 9 (0 = none)   [1..2] local maxMessageSize (0 = none)
//   [3] local receive buffer = 8192 + 256 * b [4] server receive buffer = 8192 + 256 * b
//   [5] server maxChunkCount % 9              [6..7] server maxMessageSize (0 = none)
//   [8..9] outbound body size * 3             [10] piece size seed (0 = whole reads)
//   [11] bit 0: the stream brings its own Acknowledge
void RunChannel(const uint8_t* data, size_t size) {
  if (size < 12) return;
  ua::TransportLimits local;
  local.maxChunkCount = data[0] % 9;
  local.maxMessageSize = Le16(data + 1);
  local.receiveBufferSize = 8192 + 256u * data[3];
  local.sendBufferSize = 65536;
  ua::AcknowledgeMessage ack;
  ack.receiveBufferSize = 8192 + 256u * data[4];
  ack.sendBufferSize = 65536;
  ack.maxChunkCount = data[5] % 9;
  ack.maxMessageSize = Le16(data + 6);
  const size_t outboundSize = 3u * Le16(data + 8);
  const uint32_t pieceSeed = data[10];
  const bool rawAck = (data[11] & 1) != 0;

  Bytes stream;
  if (!rawAck) UA_FUZZ_CHECK(ua::EncodeAcknowledgeMessage(ack, stream));
  const size_t ackSize = stream.size();
  stream.insert(stream.end(), data + 12, data + size);

  PieceSocket socket(stream, pieceSeed);
  ua::MessageChannel channel(socket, local);
  UA_FUZZ_CHECK(channel.SendHello("opc.tcp://fuzz:4840/"));
  channel.SetSecurityToken(kChannelId, kTokenId);

  // Reads until the channel fails or has seen every byte; each read gets at most one piece, so the bound
  // is the stream length plus one read per delivered message.
  std::vector<ModelMessage> delivered;
  bool acked = false;
  ua::ReadResult last = ua::ReadResult::Timeout;
  for (size_t reads = 0; reads < 2 * stream.size() + 16; ++reads) {
    ua::InboundMessage message;
    last = channel.Read(message, 0);
    if (last == ua::ReadResult::Failed) break;
    if (last == ua::ReadResult::Timeout) {
      if (socket.Exhausted()) break;
      continue;
    }
    if (message.type == ua::MessageType::Acknowledge) {
      UA_FUZZ_CHECK(!acked && delivered.empty() && last == ua::ReadResult::Message);
      acked = true;
      continue;
    }
    UA_FUZZ_CHECK(acked);
    ModelMessage got;
    got.aborted = last == ua::ReadResult::Aborted;
    got.type = message.type;
    got.requestId = message.requestId;
    got.body = std::move(message.body);
    UA_FUZZ_CHECK(!got.aborted || got.body.empty());
    // Never a body over the announced maximum, whatever the chunks said.
    UA_FUZZ_CHECK(local.maxMessageSize == 0 || got.body.size() <= local.maxMessageSize);
    if (!got.aborted) UA_FUZZ_CHECK(message.secureChannelId == kChannelId || message.type == ua::MessageType::Open);
    delivered.push_back(std::move(got));
  }
  UA_FUZZ_CHECK(last == ua::ReadResult::Failed || last == ua::ReadResult::Timeout);
  if (last == ua::ReadResult::Failed) {
    UA_FUZZ_CHECK(channel.error() != ua::ChannelError::None);
    // Failed is final.
    ua::InboundMessage message;
    UA_FUZZ_CHECK(channel.Read(message, 0) == ua::ReadResult::Failed);
    UA_FUZZ_CHECK(channel.SendMessage(ua::MessageType::Message, Bytes(1)) == 0);
  } else {
    UA_FUZZ_CHECK(channel.error() == ua::ChannelError::None && socket.Exhausted());
  }

  // What the channel delivered is what the chunks held, in order, each within the chunk count.
  if (!acked) {
    UA_FUZZ_CHECK(delivered.empty());
    return;
  }
  size_t ackEnd = ackSize;
  if (rawAck) {
    const ua::ChunkProbe probe = ua::ProbeChunk(stream.data(), stream.size(), local.receiveBufferSize);
    UA_FUZZ_CHECK(probe.status == ua::ChunkStatus::Complete && probe.header.type == ua::MessageType::Acknowledge);
    ackEnd = probe.length;
  }
  const Bytes rest(stream.begin() + static_cast<std::ptrdiff_t>(ackEnd), stream.end());
  const std::vector<ModelMessage> model = ModelStream(rest, local.receiveBufferSize);
  UA_FUZZ_CHECK(delivered.size() <= model.size());
  for (size_t i = 0; i < delivered.size(); ++i) {
    UA_FUZZ_CHECK(delivered[i].aborted == model[i].aborted);
    UA_FUZZ_CHECK(delivered[i].type == model[i].type);
    UA_FUZZ_CHECK(delivered[i].requestId == model[i].requestId);
    if (model[i].aborted) continue;
    UA_FUZZ_CHECK(delivered[i].body == model[i].body);
    UA_FUZZ_CHECK(local.maxChunkCount == 0 || model[i].chunks <= local.maxChunkCount);
  }
  // A channel that never failed has passed on every whole message it received.
  if (last == ua::ReadResult::Timeout) UA_FUZZ_CHECK(delivered.size() == model.size());
  if (last == ua::ReadResult::Failed) return;

  // Sending: split within the server's announced limits, or refused without a byte sent.
  const ua::AcknowledgeMessage server = channel.serverLimits();
  Bytes body(outboundSize);
  for (size_t i = 0; i < body.size(); ++i) body[i] = static_cast<uint8_t>(i * 31 + 7);
  socket.sent.clear();
  const uint32_t requestId = channel.SendMessage(ua::MessageType::Message, body);
  if (requestId == 0) {
    UA_FUZZ_CHECK(socket.sent.empty() && channel.error() == ua::ChannelError::TooLarge);
    // Refused only when the server's limits really rule it out (24 bytes of each chunk are headers).
    const size_t perChunk = std::min(server.receiveBufferSize, local.sendBufferSize) - 24u;
    const size_t chunks = body.empty() ? 1 : (body.size() + perChunk - 1) / perChunk;
    UA_FUZZ_CHECK((server.maxChunkCount != 0 && chunks > server.maxChunkCount) ||
                  (server.maxMessageSize != 0 && body.size() > server.maxMessageSize));
    return;
  }
  CheckSent(socket.sent, body, requestId, server, local.sendBufferSize);
}

// ---------------------------------------------------------------------------------------------------------
// Session

// Brings a session to Running against the fake server, then plays the records as the server's next
// messages: kind 0 answers the oldest held Publish with the bytes as its body, kind 1 puts the bytes on the
// wire as they are, kind 2 answers the oldest held Publish with the bytes split over two chunks, kind 3
// pumps without new bytes. The session must stay Running or end Dead, and never deliver once Dead.
void RunSession(const uint8_t* data, size_t size) {
  using namespace ua_client_test;
  FakeClock clock;
  FakeServer server;
  FakeSocket socket(server, clock);
  server.Attach(socket);
  ua::SessionConfig config;
  config.endpointUrl = "opc.tcp://plant:4840/ua";

  ua::UaSession* self = nullptr;
  size_t deliveries = 0;
  ua::AlarmFeed feed;
  auto onEvents = [&](const Events& events) {
    UA_FUZZ_CHECK(self != nullptr && self->state() == ua::SessionState::Running);
    ++deliveries;
    const ua::FeedOutput out = feed.Take(events, clock.now);
    for (const auto& r : out.live) CheckRecord(r);
    for (const auto& r : out.refresh) CheckRecord(r);
  };
  ua::UaSession session(socket, config, [&clock] { return clock.now; }, onEvents);
  self = &session;
  UA_FUZZ_CHECK(session.Connect());
  // The first pump sends the Publish requests the records answer.
  UA_FUZZ_CHECK(session.PumpPublish() && !server.heldPublishes.empty());

  size_t pos = 0;
  for (int record = 0; record < 16 && pos + 3 <= size; ++record) {
    const uint8_t kind = data[pos] % 4;
    const size_t length = std::min<size_t>(Le16(data + pos + 1), size - pos - 3);
    const Bytes bytes(data + pos + 3, data + pos + 3 + length);
    pos += 3 + length;
    if ((kind == 0 || kind == 2) && !server.heldPublishes.empty()) {
      const HeldRequest held = server.heldPublishes.front();
      server.heldPublishes.pop_front();
      if (kind == 0) {
        server.SendRaw(server.MessageChunk(held.requestId, bytes));
      } else {
        const size_t half = bytes.size() / 2;
        server.SendRaw(server.MessageChunk(held.requestId, Bytes(bytes.begin(), bytes.begin() + half),
                                           ua::ChunkType::Intermediate));
        server.SendRaw(server.MessageChunk(held.requestId, Bytes(bytes.begin() + half, bytes.end())));
      }
    } else if (kind == 1) {
      server.SendRaw(bytes);
    }
    for (int pump = 0; pump < 3 && session.state() == ua::SessionState::Running; ++pump) session.PumpPublish();
    const ua::SessionState state = session.state();
    UA_FUZZ_CHECK(state == ua::SessionState::Running || state == ua::SessionState::Dead);
    if (state == ua::SessionState::Dead) break;
  }

  if (session.state() == ua::SessionState::Dead) {
    UA_FUZZ_CHECK(session.failure() != ua::SessionFailure::None);
    // Whatever else the server still sends is never delivered.
    const size_t before = deliveries;
    if (!server.heldPublishes.empty()) {
      server.PublishEvents(1000, {{ua::Variant(), ua::Variant::Scalar(ua::NodeId::Numeric(0, ua::kBaseEventTypeId))}});
    }
    UA_FUZZ_CHECK(!session.PumpPublish());
    UA_FUZZ_CHECK(!session.PumpPublish());
    UA_FUZZ_CHECK(deliveries == before);
    UA_FUZZ_CHECK(session.state() == ua::SessionState::Dead);
  }
  session.Close();
  UA_FUZZ_CHECK(session.state() == ua::SessionState::Closed || session.state() == ua::SessionState::Dead);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 1) return 0;
  switch (data[0] % 4) {
    case 0: RunResponse(data + 1, size - 1); break;
    case 1: RunNotificationBody(data + 1, size - 1); break;
    case 2: RunChannel(data + 1, size - 1); break;
    default: RunSession(data + 1, size - 1); break;
  }
  return 0;
}
