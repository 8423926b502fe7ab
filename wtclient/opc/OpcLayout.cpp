// The structures cross process boundaries and vendors: their 32-bit layouts
// must be the standard's to the byte.
#include <cstddef>

#include "opc_ae.h"

#if defined(_WIN32) && !defined(_WIN64)
static_assert(sizeof(ONEVENTSTRUCT) == 72, "ONEVENTSTRUCT size");
static_assert(offsetof(ONEVENTSTRUCT, szSource) == 4, "ONEVENTSTRUCT.szSource");
static_assert(offsetof(ONEVENTSTRUCT, ftTime) == 8, "ONEVENTSTRUCT.ftTime");
static_assert(offsetof(ONEVENTSTRUCT, szMessage) == 16, "ONEVENTSTRUCT.szMessage");
static_assert(offsetof(ONEVENTSTRUCT, dwEventType) == 20, "ONEVENTSTRUCT.dwEventType");
static_assert(offsetof(ONEVENTSTRUCT, dwSeverity) == 28, "ONEVENTSTRUCT.dwSeverity");
static_assert(offsetof(ONEVENTSTRUCT, szConditionName) == 32, "ONEVENTSTRUCT.szConditionName");
static_assert(offsetof(ONEVENTSTRUCT, wQuality) == 40, "ONEVENTSTRUCT.wQuality");
static_assert(offsetof(ONEVENTSTRUCT, bAckRequired) == 44, "ONEVENTSTRUCT.bAckRequired");
static_assert(offsetof(ONEVENTSTRUCT, ftActiveTime) == 48, "ONEVENTSTRUCT.ftActiveTime");
static_assert(offsetof(ONEVENTSTRUCT, dwCookie) == 56, "ONEVENTSTRUCT.dwCookie");
static_assert(offsetof(ONEVENTSTRUCT, dwNumEventAttrs) == 60, "ONEVENTSTRUCT.dwNumEventAttrs");
static_assert(offsetof(ONEVENTSTRUCT, pEventAttributes) == 64, "ONEVENTSTRUCT.pEventAttributes");
static_assert(offsetof(ONEVENTSTRUCT, szActorID) == 68, "ONEVENTSTRUCT.szActorID");

static_assert(sizeof(OPCEVENTSERVERSTATUS) == 40, "OPCEVENTSERVERSTATUS size");
static_assert(offsetof(OPCEVENTSERVERSTATUS, dwServerState) == 24, "OPCEVENTSERVERSTATUS.dwServerState");
static_assert(offsetof(OPCEVENTSERVERSTATUS, wMajorVersion) == 28, "OPCEVENTSERVERSTATUS.wMajorVersion");
static_assert(offsetof(OPCEVENTSERVERSTATUS, szVendorInfo) == 36, "OPCEVENTSERVERSTATUS.szVendorInfo");

static_assert(sizeof(OPCCONDITIONSTATE) == 96, "OPCCONDITIONSTATE size");
static_assert(offsetof(OPCCONDITIONSTATE, szActiveSubCondition) == 4, "OPCCONDITIONSTATE.szActiveSubCondition");
static_assert(offsetof(OPCCONDITIONSTATE, dwASCSeverity) == 12, "OPCCONDITIONSTATE.dwASCSeverity");
static_assert(offsetof(OPCCONDITIONSTATE, wQuality) == 20, "OPCCONDITIONSTATE.wQuality");
static_assert(offsetof(OPCCONDITIONSTATE, ftLastAckTime) == 24, "OPCCONDITIONSTATE.ftLastAckTime");
static_assert(offsetof(OPCCONDITIONSTATE, szAcknowledgerID) == 56, "OPCCONDITIONSTATE.szAcknowledgerID");
static_assert(offsetof(OPCCONDITIONSTATE, dwNumSCs) == 64, "OPCCONDITIONSTATE.dwNumSCs");
static_assert(offsetof(OPCCONDITIONSTATE, dwNumEventAttrs) == 84, "OPCCONDITIONSTATE.dwNumEventAttrs");
static_assert(offsetof(OPCCONDITIONSTATE, pErrors) == 92, "OPCCONDITIONSTATE.pErrors");
#endif
