// Self-registration helpers: the standard entries of a control class and of a
// property page class, and the type library from the module's own resource.
#pragma once
#include <windows.h>

#include "framework/win32/ControlClassInfo.h"

bool RegisterControlClass(const ControlClassInfo& info);
bool UnregisterClass(const CLSID& clsid, const wchar_t* progId);
bool RegisterPropertyPageClass(const CLSID& clsid, UINT typeNameId);

HRESULT RegisterModuleTypeLib();
HRESULT UnregisterModuleTypeLib(const GUID& libid, WORD major, WORD minor);

// "{...}" form of a GUID.
void GuidText(const GUID& guid, wchar_t (&out)[40]);
