// libFuzzer target for the OPC UA binary core: chunk framing plus every decoder entry point on arbitrary bytes.
// Whatever decodes must re-encode, decode again, and re-encode to the very same bytes.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <type_traits>
#include <vector>

#include "uaclient/Decoder.h"
#include "uaclient/Encoder.h"
#include "uaclient/SecureChunk.h"
#include "uaclient/Transport.h"

#define UA_FUZZ_CHECK(condition)                                                         \
  do {                                                                                   \
    if (!(condition)) {                                                                  \
      std::fprintf(stderr, "%s:%d: check failed: %s\n", __FILE__, __LINE__, #condition); \
      std::abort();                                                                      \
    }                                                                                    \
  } while (0)

namespace {

using Bytes = std::vector<uint8_t>;

// Floats make Variant and DataValue unequal to themselves when they hold NaN, so the stable-bytes check is the
// one that applies to every type; types without floats are compared as values as well.
template <typename T>
constexpr bool kComparableByValue = !std::is_same_v<T, ua::Variant> && !std::is_same_v<T, ua::DataValue>;

template <typename T, typename Read, typename Write>
void CheckRoundTrip(const uint8_t* data, size_t size, Read read, Write write) {
  ua::Decoder first(data, size);
  T value{};
  if (!read(first, value)) {
    UA_FUZZ_CHECK(!first.ok());
    return;
  }
  UA_FUZZ_CHECK(first.ok() && first.position() <= size);

  Bytes once;
  ua::Encoder encodeOnce(once);
  write(encodeOnce, value);
  UA_FUZZ_CHECK(encodeOnce.ok());
  // Our encoding is the canonical (shortest) one, never longer than what the peer sent.
  UA_FUZZ_CHECK(once.size() <= first.position());

  ua::Decoder second(once);
  T again{};
  UA_FUZZ_CHECK(read(second, again));
  UA_FUZZ_CHECK(second.AtEnd());
  if constexpr (kComparableByValue<T>) UA_FUZZ_CHECK(again == value);

  Bytes twice;
  ua::Encoder encodeTwice(twice);
  write(encodeTwice, again);
  UA_FUZZ_CHECK(encodeTwice.ok() && twice == once);
}

void CheckAllDecoders(const uint8_t* data, size_t size) {
  using namespace ua;
  CheckRoundTrip<Variant>(data, size, [](Decoder& d, Variant& v) { return d.ReadVariant(v); },
                          [](Encoder& e, const Variant& v) { e.WriteVariant(v); });
  CheckRoundTrip<DataValue>(data, size, [](Decoder& d, DataValue& v) { return d.ReadDataValue(v); },
                            [](Encoder& e, const DataValue& v) { e.WriteDataValue(v); });
  CheckRoundTrip<ExtensionObject>(data, size, [](Decoder& d, ExtensionObject& v) { return d.ReadExtensionObject(v); },
                                  [](Encoder& e, const ExtensionObject& v) { e.WriteExtensionObject(v); });
  CheckRoundTrip<NodeId>(data, size, [](Decoder& d, NodeId& v) { return d.ReadNodeId(v); },
                         [](Encoder& e, const NodeId& v) { e.WriteNodeId(v); });
  CheckRoundTrip<ExpandedNodeId>(data, size, [](Decoder& d, ExpandedNodeId& v) { return d.ReadExpandedNodeId(v); },
                                 [](Encoder& e, const ExpandedNodeId& v) { e.WriteExpandedNodeId(v); });
  CheckRoundTrip<LocalizedText>(data, size, [](Decoder& d, LocalizedText& v) { return d.ReadLocalizedText(v); },
                                [](Encoder& e, const LocalizedText& v) { e.WriteLocalizedText(v); });
  CheckRoundTrip<DiagnosticInfo>(data, size, [](Decoder& d, DiagnosticInfo& v) { return d.ReadDiagnosticInfo(v); },
                                 [](Encoder& e, const DiagnosticInfo& v) { e.WriteDiagnosticInfo(v); });
}

// The connection messages decode from one whole chunk and must re-encode to exactly that chunk.
template <typename Message, typename Decode, typename Encode>
void CheckTransportMessage(const uint8_t* data, size_t size, Decode decode, Encode encode) {
  Message message;
  if (decode(data, size, message) != ua::DecodeError::None) return;
  Bytes out;
  UA_FUZZ_CHECK(encode(message, out));
  UA_FUZZ_CHECK(out == Bytes(data, data + size));
}

void CheckChunk(const uint8_t* data, size_t size) {
  const ua::ChunkProbe probe = ua::ProbeChunk(data, size, 1u << 24);
  if (probe.status != ua::ChunkStatus::Complete) return;
  UA_FUZZ_CHECK(probe.length >= ua::kMessageHeaderSize && probe.length <= size);
  CheckTransportMessage<ua::AcknowledgeMessage>(data, probe.length, ua::DecodeAcknowledgeMessage,
                                                ua::EncodeAcknowledgeMessage);
  CheckTransportMessage<ua::ErrorMessage>(data, probe.length, ua::DecodeErrorMessage, ua::EncodeErrorMessage);
  CheckTransportMessage<ua::HelloMessage>(data, probe.length, ua::DecodeHelloMessage, ua::EncodeHelloMessage);

  ua::SecureChunk chunk;
  if (ua::ParseSecureChunk(data, probe.length, chunk) != ua::DecodeError::None) return;
  UA_FUZZ_CHECK(chunk.bodyOffset + chunk.bodySize == probe.length);
  // A service body starts with its encoding id; decode what follows it like any other value.
  ua::Decoder body(data + chunk.bodyOffset, chunk.bodySize);
  uint32_t typeId = 0;
  if (body.ReadNodeIdOfType(typeId)) CheckAllDecoders(data + chunk.bodyOffset + body.position(), body.remaining());
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  CheckChunk(data, size);
  CheckAllDecoders(data, size);
  return 0;
}
