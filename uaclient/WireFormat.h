// Encoding-byte and mask values shared by the UA Binary encoder and decoder.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "uaclient/Types.h"

namespace ua {
namespace wire {

// First byte of an encoded NodeId: the form in the low bits, ExpandedNodeId flags in the high bits.
constexpr uint8_t kNodeIdTwoByte = 0x00;
constexpr uint8_t kNodeIdFourByte = 0x01;
constexpr uint8_t kNodeIdNumeric = 0x02;
constexpr uint8_t kNodeIdString = 0x03;
constexpr uint8_t kNodeIdGuid = 0x04;
constexpr uint8_t kNodeIdByteString = 0x05;
constexpr uint8_t kNodeIdFormMask = 0x3F;
constexpr uint8_t kNamespaceUriFlag = 0x80;
constexpr uint8_t kServerIndexFlag = 0x40;

constexpr uint8_t kTextHasLocale = 0x01;
constexpr uint8_t kTextHasText = 0x02;

constexpr uint8_t kVariantTypeMask = 0x3F;
constexpr uint8_t kVariantDimensions = 0x40;
constexpr uint8_t kVariantArray = 0x80;
constexpr uint8_t kLastBuiltinType = static_cast<uint8_t>(BuiltinType::DiagnosticInfo);

constexpr uint8_t kValueHasValue = 0x01;
constexpr uint8_t kValueHasStatus = 0x02;
constexpr uint8_t kValueHasSourceTime = 0x04;
constexpr uint8_t kValueHasServerTime = 0x08;
constexpr uint8_t kValueHasSourcePico = 0x10;
constexpr uint8_t kValueHasServerPico = 0x20;
constexpr uint8_t kValueKnownBits = 0x3F;

constexpr uint8_t kDiagSymbolicId = 0x01;
constexpr uint8_t kDiagNamespaceUri = 0x02;
constexpr uint8_t kDiagLocalizedText = 0x04;
constexpr uint8_t kDiagLocale = 0x08;
constexpr uint8_t kDiagAdditionalInfo = 0x10;
constexpr uint8_t kDiagInnerStatus = 0x20;
constexpr uint8_t kDiagInnerDiagnostic = 0x40;
constexpr uint8_t kDiagKnownBits = 0x7F;

// Smallest possible encoding of one element of each built-in type, indexed by type id. Bounds array counts
// against the bytes left so a hostile count cannot make us reserve more than the message could describe.
constexpr size_t kMinEncodedSize[] = {
    1,   // Null (never an array element; kept so the table is indexable)
    1,   // Boolean
    1,   // SByte
    1,   // Byte
    2,   // Int16
    2,   // UInt16
    4,   // Int32
    4,   // UInt32
    8,   // Int64
    8,   // UInt64
    4,   // Float
    8,   // Double
    4,   // String: length only
    8,   // DateTime
    16,  // Guid
    4,   // ByteString
    4,   // XmlElement
    2,   // NodeId: two-byte form
    2,   // ExpandedNodeId
    4,   // StatusCode
    6,   // QualifiedName: namespace + null name
    1,   // LocalizedText: empty mask
    3,   // ExtensionObject: two-byte type id + encoding byte
    1,   // DataValue: empty mask
    1,   // Variant: empty
    1,   // DiagnosticInfo: empty mask
};

// True when the dimensions are all non-negative, at least one is given, and their product is `count`.
bool DimensionsFit(const std::vector<int32_t>& dimensions, size_t count);

}  // namespace wire
}  // namespace ua
