// The module's COM bookkeeping: its instance handle, live objects and
// factory locks (DllCanUnloadNow), and its type library cache.
#pragma once
#include <windows.h>
#include <oaidl.h>

#include "framework/Types.h"

namespace com_module {

HINSTANCE Instance();
void SetInstance(HINSTANCE instance);
// Full path of this module's file (not the host's).
String ModulePath();

void ObjectCreated();
void ObjectDestroyed();
void Lock(bool lock);
bool CanUnload();
LONG ObjectCount();

// The registered type library, loaded once; falls back to the module's own
// resource when it is not registered.
HRESULT GetTypeLib(const GUID& libid, WORD major, WORD minor, LCID lcid, ITypeLib** out);
void ReleaseTypeLib();

}  // namespace com_module
