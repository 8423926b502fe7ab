// ConnectOPC_AE over COM: finds the server by ProgID and creates its
// IOPCEventServer on this machine or another.
#pragma once
#include <windows.h>

#include <memory>

#include "wtclient/AEConnection.h"

namespace wtclient {

// Null on any failure. Our own server's ProgID, when it is not registered at
// all, gets the in-process simulator, so the control runs where only it was
// registered.
std::shared_ptr<AEConnection> ConnectOverCom(LPCSTR machineName, LPCSTR serverProgId);

}  // namespace wtclient
