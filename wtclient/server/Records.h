// Conversions between the plant's records and the OPC AE wire types: the
// ONEVENTSTRUCT array of a sink call (shared with WTclient.dll's simulator),
// FILETIMEs, and the CoTaskMemAlloc'd strings and arrays a method hands to
// its caller.
#pragma once
#include "opc_ae.h"

#include <string>
#include <vector>

#include "wtclient/EventRecords.h"
#include "wtclient/sim/SimEvent.h"

namespace opcsrv {

using wtclient::EventRecords;
using wtclient::ToFileTime;
using wtclient::Wide;
uint64_t FromFileTime(const FILETIME& ft);
String FromWide(const wchar_t* s);  // null gives an empty string

// Caller-owned copies (CoTaskMemAlloc); null when out of memory.
LPWSTR CoTaskString(const std::wstring& s);
// One allocation for the array and one per string; false when out of memory
// (then nothing stays allocated).
bool CoTaskStrings(const std::vector<String>& in, LPWSTR** out);
void FreeCoTaskStrings(LPWSTR* array, size_t count);

}  // namespace opcsrv
