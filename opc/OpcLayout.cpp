// The structures cross process boundaries and vendors: their layouts must be
// the standard's to the byte, for each word size (on 64-bit Windows pointers
// take 8 bytes and are aligned to 8, which moves every field after the first).
#include <cstddef>

#include "opc_ae.h"

#if defined(_WIN32)
namespace {

#if defined(_WIN64)
constexpr bool k64 = true;
#else
constexpr bool k64 = false;
#endif
// The offset for the word size in hand: 32-bit first, 64-bit second.
constexpr size_t At(size_t x86, size_t x64) { return k64 ? x64 : x86; }

}  // namespace

static_assert(sizeof(ONEVENTSTRUCT) == At(72, 104), "ONEVENTSTRUCT size");
static_assert(offsetof(ONEVENTSTRUCT, szSource) == At(4, 8), "ONEVENTSTRUCT.szSource");
static_assert(offsetof(ONEVENTSTRUCT, ftTime) == At(8, 16), "ONEVENTSTRUCT.ftTime");
static_assert(offsetof(ONEVENTSTRUCT, szMessage) == At(16, 24), "ONEVENTSTRUCT.szMessage");
static_assert(offsetof(ONEVENTSTRUCT, dwEventType) == At(20, 32), "ONEVENTSTRUCT.dwEventType");
static_assert(offsetof(ONEVENTSTRUCT, dwEventCategory) == At(24, 36), "ONEVENTSTRUCT.dwEventCategory");
static_assert(offsetof(ONEVENTSTRUCT, dwSeverity) == At(28, 40), "ONEVENTSTRUCT.dwSeverity");
static_assert(offsetof(ONEVENTSTRUCT, szConditionName) == At(32, 48), "ONEVENTSTRUCT.szConditionName");
static_assert(offsetof(ONEVENTSTRUCT, szSubconditionName) == At(36, 56), "ONEVENTSTRUCT.szSubconditionName");
static_assert(offsetof(ONEVENTSTRUCT, wQuality) == At(40, 64), "ONEVENTSTRUCT.wQuality");
static_assert(offsetof(ONEVENTSTRUCT, bAckRequired) == At(44, 68), "ONEVENTSTRUCT.bAckRequired");
static_assert(offsetof(ONEVENTSTRUCT, ftActiveTime) == At(48, 72), "ONEVENTSTRUCT.ftActiveTime");
static_assert(offsetof(ONEVENTSTRUCT, dwCookie) == At(56, 80), "ONEVENTSTRUCT.dwCookie");
static_assert(offsetof(ONEVENTSTRUCT, dwNumEventAttrs) == At(60, 84), "ONEVENTSTRUCT.dwNumEventAttrs");
static_assert(offsetof(ONEVENTSTRUCT, pEventAttributes) == At(64, 88), "ONEVENTSTRUCT.pEventAttributes");
static_assert(offsetof(ONEVENTSTRUCT, szActorID) == At(68, 96), "ONEVENTSTRUCT.szActorID");

static_assert(sizeof(OPCEVENTSERVERSTATUS) == At(40, 48), "OPCEVENTSERVERSTATUS size");
static_assert(offsetof(OPCEVENTSERVERSTATUS, dwServerState) == 24, "OPCEVENTSERVERSTATUS.dwServerState");
static_assert(offsetof(OPCEVENTSERVERSTATUS, wMajorVersion) == 28, "OPCEVENTSERVERSTATUS.wMajorVersion");
static_assert(offsetof(OPCEVENTSERVERSTATUS, szVendorInfo) == At(36, 40), "OPCEVENTSERVERSTATUS.szVendorInfo");

static_assert(sizeof(OPCCONDITIONSTATE) == At(96, 160), "OPCCONDITIONSTATE size");
static_assert(offsetof(OPCCONDITIONSTATE, szActiveSubCondition) == At(4, 8), "OPCCONDITIONSTATE.szActiveSubCondition");
static_assert(offsetof(OPCCONDITIONSTATE, dwASCSeverity) == At(12, 24), "OPCCONDITIONSTATE.dwASCSeverity");
static_assert(offsetof(OPCCONDITIONSTATE, szASCDescription) == At(16, 32), "OPCCONDITIONSTATE.szASCDescription");
static_assert(offsetof(OPCCONDITIONSTATE, wQuality) == At(20, 40), "OPCCONDITIONSTATE.wQuality");
static_assert(offsetof(OPCCONDITIONSTATE, ftLastAckTime) == At(24, 44), "OPCCONDITIONSTATE.ftLastAckTime");
static_assert(offsetof(OPCCONDITIONSTATE, ftCondLastInactive) == At(48, 68), "OPCCONDITIONSTATE.ftCondLastInactive");
static_assert(offsetof(OPCCONDITIONSTATE, szAcknowledgerID) == At(56, 80), "OPCCONDITIONSTATE.szAcknowledgerID");
static_assert(offsetof(OPCCONDITIONSTATE, dwNumSCs) == At(64, 96), "OPCCONDITIONSTATE.dwNumSCs");
static_assert(offsetof(OPCCONDITIONSTATE, pszSCNames) == At(68, 104), "OPCCONDITIONSTATE.pszSCNames");
static_assert(offsetof(OPCCONDITIONSTATE, dwNumEventAttrs) == At(84, 136), "OPCCONDITIONSTATE.dwNumEventAttrs");
static_assert(offsetof(OPCCONDITIONSTATE, pErrors) == At(92, 152), "OPCCONDITIONSTATE.pErrors");
#endif
