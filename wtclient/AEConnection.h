// What the exports need of one open connection, whichever way it reaches its
// AE server: the in-process simulator or an OPC AE server over COM.
#pragma once
#include <windows.h>

namespace wtclient {

class AEConnection {
 public:
  virtual ~AEConnection() = default;

  // Categories of the event types in the mask, in arrays the connection owns
  // until the next query or its end. On failure: false, 0 and null arrays.
  virtual bool QueryCategories(DWORD eventTypes, DWORD* count, DWORD** ids, LPWSTR** names) = 0;
  // A subscription whose notifications reach the callback with clientHandle.
  // The revised values are written once each (the pointers may alias or be
  // null). 0 on failure.
  virtual HANDLE Subscribe(DWORD_PTR clientHandle, DWORD* revisedBufferTime, DWORD* revisedMaxSize) = 0;
  // Asks the server to resend the active conditions to that subscription.
  virtual bool Refresh(DWORD_PTR clientHandle) = 0;
  // Returns once no callback of the connection runs or can start, except one
  // that called it on its own thread.
  virtual void Close() = 0;
};

}  // namespace wtclient
