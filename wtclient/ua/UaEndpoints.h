// Which servers the library reaches over OPC UA instead of classic OPC AE: a ProgID the integrator has
// mapped to an opc.tcp endpoint URL in the registry, so screens keep asking for the same server while
// the plant's server is a UA one.
//
//   HKEY_CURRENT_USER\Software\Velmaric\WTclient\UA Endpoints     (for one user; wins)
//   HKEY_LOCAL_MACHINE\SOFTWARE\Velmaric\WTclient\UA Endpoints    (for the machine)
//   value name: the ProgID (any case), REG_SZ: opc.tcp://host:port/path
//
// The machine key is read in the 64-bit view on 64-bit Windows, so one setting serves the x86 and the
// x64 library alike.
#pragma once
#include <windows.h>

#include <string>

namespace wtclient {

// The UA endpoint URL mapped to the ProgID, or "" when it has none.
std::string UaEndpointFor(LPCSTR serverProgId);

}  // namespace wtclient
