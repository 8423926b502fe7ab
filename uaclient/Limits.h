// Fixed limits the UA Binary decoder enforces against hostile or broken peers.
#pragma once

#include <cstddef>
#include <cstdint>

namespace ua {

// Largest String, ByteString, XmlElement or ExtensionObject body we accept. A length is also always checked
// against the bytes actually left in the buffer before anything is allocated.
constexpr int32_t kMaxStringLength = 16 * 1024 * 1024;

// Largest element count of any array. Counts are also bounded by the remaining bytes divided by the smallest
// encoded size of one element, so a short message can never make us reserve a large vector.
constexpr int32_t kMaxArrayLength = 1 << 20;

// How deeply Variant, DataValue, ExtensionObject and DiagnosticInfo may nest inside each other. Keeps the
// recursive decoder's stack use small whatever the peer sends.
constexpr int kMaxNestingDepth = 16;

// The transport caps Hello.EndpointUrl and Error.Reason at this many bytes.
constexpr int32_t kMaxTransportStringLength = 4096;

// Every UA TCP chunk starts with MessageType(3) + ChunkType(1) + MessageSize(4).
constexpr size_t kMessageHeaderSize = 8;

// Receive and send buffers below this size are not allowed by the UA TCP protocol.
constexpr uint32_t kMinBufferSize = 8192;

}  // namespace ua
