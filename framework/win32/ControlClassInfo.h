// What the framework knows of a control class: its identity and interfaces,
// its type library, the entries registration writes, its property pages and
// how to make the portable control. One constant per control class serves
// the factory, the registration and the COM object.
#pragma once
#include <windows.h>

#include <cstddef>

class COleControl;

struct ControlClassInfo {
  CLSID clsid;
  const wchar_t* progId;
  IID dispatchIid;
  IID eventsIid;
  GUID libid;
  WORD libMajor, libMinor;
  DWORD miscStatus;
  UINT typeNameStringId;  // string resource with the user type name
  UINT toolboxBitmapId;
  const wchar_t* threadingModel;  // "Apartment"
  const CLSID* pages;
  size_t pageCount;
  COleControl* (*create)();
};
