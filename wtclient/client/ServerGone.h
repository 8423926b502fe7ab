// Which failures of a call mean the server process or its objects are gone,
// rather than a refusal by a live server.
#pragma once
#include <windows.h>

namespace wtclient {

inline bool IsServerGone(HRESULT hr) {
  switch (static_cast<unsigned long>(hr)) {
    case 0x800706BAul:  // RPC server unavailable: what Wine answers for a dead server
    case 0x800706BEul:  // remote procedure call failed
    case 0x800706BFul:  // call failed and did not execute
    case 0x80010007ul:  // RPC_E_SERVER_DIED
    case 0x80010012ul:  // RPC_E_SERVER_DIED_DNE
    case 0x80010108ul:  // RPC_E_DISCONNECTED
    case 0x800401FDul:  // CO_E_OBJNOTCONNECTED
      return true;
    default:
      return false;
  }
}

}  // namespace wtclient
