// Self-registration helpers: the standard entries of a control class and of a
// property page class, and the type library from the module's own resource.
#pragma once
#include <windows.h>

struct ControlRegistration {
  const CLSID* clsid;
  const wchar_t* progId;
  UINT typeNameId;    // string resource with the user type name
  UINT toolboxBitmapId;
  const wchar_t* threadingModel;  // "Apartment"
  DWORD miscStatus;
  const GUID* libid;
  WORD libMajor, libMinor;
};

bool RegisterControlClass(const ControlRegistration& reg);
bool UnregisterClass(const CLSID& clsid, const wchar_t* progId);
bool RegisterPropertyPageClass(const CLSID& clsid, UINT typeNameId);

HRESULT RegisterModuleTypeLib();
HRESULT UnregisterModuleTypeLib(const GUID& libid, WORD major, WORD minor);

// "{...}" form of a GUID.
void GuidText(const GUID& guid, wchar_t (&out)[40]);
