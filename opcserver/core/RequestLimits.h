// How long a list a client may hand the server in one call, and array sizes
// that cannot wrap. A count comes straight from the client: it is checked
// here before it sizes any vector or allocation, so that no request makes
// the server allocate more than a small known amount, throw, or (on 32-bit)
// compute a byte count that wraps to a small allocation.
#pragma once
#include <cstdint>
#include <limits>

namespace opcsrv {

enum class ClientList {
  FilterCategories,  // SetFilter: each must be one of the server's categories
  FilterAreas,       // SetFilter: patterns matched against every notification
  FilterSources,     // SetFilter: likewise
  AckedConditions,   // AckCondition: one verdict and one error code each
  AttributeIds,      // GetConditionState, SelectReturnedAttributes, TranslateToItemIDs
};

// Categories: a plant has tens of them, listing one twice gains nothing.
constexpr uint32_t kMaxFilterCategories = 1024;
// Areas and sources: every notification of the subscription is matched
// against each pattern, so the list's length is paid per event; 10000 still
// lets a filter name every source of a large plant one by one.
constexpr uint32_t kMaxFilterPlaces = 10000;
// Acknowledgements: an operator's "acknowledge all" over a large plant's
// standing alarms; longer lists can be sent in several calls.
constexpr uint32_t kMaxAckedConditions = 10000;
// Attributes: servers define tens per category (this plant none); each one
// asked for costs a VARIANT and an error code in the answer.
constexpr uint32_t kMaxAttributeIds = 1024;

constexpr uint32_t MaxEntries(ClientList list) {
  switch (list) {
    case ClientList::FilterCategories: return kMaxFilterCategories;
    case ClientList::FilterAreas:
    case ClientList::FilterSources: return kMaxFilterPlaces;
    case ClientList::AckedConditions: return kMaxAckedConditions;
    case ClientList::AttributeIds: return kMaxAttributeIds;
  }
  return 0;
}

// Whether a list of count entries is short enough. An empty list always is;
// a method for which an empty list is wrong refuses it itself.
constexpr bool CountAllowed(ClientList list, uint32_t count) { return count <= MaxEntries(list); }

// count * elementSize as a Size (size_t in the server), false where the
// product does not fit: on a 32-bit server 0x10000000 VARIANTs of 16 bytes
// would wrap to an allocation of 0 bytes.
template <typename Size>
constexpr bool ArrayBytes(uint64_t count, uint64_t elementSize, Size* bytes) {
  const uint64_t limit = std::numeric_limits<Size>::max();
  if (elementSize != 0 && count > limit / elementSize) return false;
  *bytes = static_cast<Size>(count * elementSize);
  return true;
}

}  // namespace opcsrv
