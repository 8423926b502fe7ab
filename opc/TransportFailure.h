// Whether a failed COM call's result says the other side is gone (the call
// never reached it, or its process or apartment is no more) rather than that
// it refused this one call. Only the former ends a connection at once.
#pragma once
#include <cstdint>

namespace opc {

constexpr bool IsTransportFailure(int32_t hr) {
  switch (static_cast<uint32_t>(hr)) {
    case 0x80010007u:  // RPC_E_SERVER_DIED
    case 0x80010012u:  // RPC_E_SERVER_DIED_DNE
    case 0x80010108u:  // RPC_E_DISCONNECTED
    case 0x80010114u:  // RPC_E_INVALID_OBJECT
    case 0x800401FDu:  // CO_E_OBJNOTCONNECTED
    case 0x800706BAu:  // RPC_S_SERVER_UNAVAILABLE: what Wine answers for a dead server
    case 0x800706BEu:  // RPC_S_CALL_FAILED
    case 0x800706BFu:  // RPC_S_CALL_FAILED_DNE
      return true;
    default:
      return false;
  }
}

// Counts a peer's failed calls: a transport failure gives up at once, other
// failures only when kLimit come in a row (one refused or unallocatable call
// is not a dead peer); any success starts the count anew.
class FailureCount {
 public:
  static constexpr int kLimit = 3;
  // True when the peer is to be given up.
  bool Failed(int32_t hr) { return IsTransportFailure(hr) || ++m_inRow >= kLimit; }
  void Succeeded() { m_inRow = 0; }

 private:
  int m_inRow = 0;
};

}  // namespace opc
