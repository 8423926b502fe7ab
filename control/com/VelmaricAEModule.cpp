// The module: CVelmaricAEApp, the control's class factory (the pages' are in
// pages/com) and the four exports. Registration writes the type library
// first, then every factory's entries.
#include <windows.h>
#include <olectl.h>

#include "control/VelmaricAECtrl.h"
#include "control/com/VelmaricAEClass.h"
#include "framework/win32/ClassFactory.h"
#include "framework/win32/ComModule.h"
#include "framework/win32/ControlModule.h"
#include "framework/win32/Registration.h"
#include "framework/win32/Win32Clock.h"
#include "framework/win32/Win32Ui.h"
#include "framework/win32/Win32Version.h"
#include "intake/OpcAESession.h"
#include "intake/win32/Win32IntakePorts.h"

namespace {

class CVelmaricAEApp : public COleControlModule {
 public:
  BOOL InitInstance() override {
    static Win32Clock clock;
    ControlPlatform platform = ControlPlatform::Default();
    platform.clock = &clock;
    platform.ui = &Win32Ui();
    platform.version = &Win32Version();
    InstallWin32IntakePorts(platform);
    ControlPlatform::SetDefault(platform);
    return TRUE;
  }
};

CVelmaricAEApp theApp;

}  // namespace

class CVelmaricAECtrl::CVelmaricAECtrlFactory : public COleObjectFactory {
 public:
  CVelmaricAECtrlFactory() : COleObjectFactory(kVelmaricAEClass) {}
};

namespace {
CVelmaricAECtrl::CVelmaricAECtrlFactory g_controlFactory;
}

extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID) {
  if (reason == DLL_PROCESS_ATTACH) return COleControlModule::OnProcessAttach(instance);
  if (reason == DLL_PROCESS_DETACH) COleControlModule::OnProcessDetach();
  return TRUE;
}

STDAPI DllGetClassObject(REFCLSID clsid, REFIID riid, void** ppv) {
  return COleObjectFactory::GetClassObject(clsid, riid, ppv);
}

// Not while a session's worker still runs: it may be inside the library,
// which also holds a callback into this module.
STDAPI DllCanUnloadNow() { return com_module::CanUnload() && OpcAESession::LiveWorkers() == 0 ? S_OK : S_FALSE; }

STDAPI DllRegisterServer() {
  if (FAILED(RegisterModuleTypeLib())) return SELFREG_E_TYPELIB;
  if (!COleObjectFactory::UpdateRegistryAll(true)) return SELFREG_E_CLASS;
  return S_OK;
}

STDAPI DllUnregisterServer() {
  const ControlClassInfo& c = kVelmaricAEClass;
  if (FAILED(UnregisterModuleTypeLib(c.libid, c.libMajor, c.libMinor))) return SELFREG_E_TYPELIB;
  if (!COleObjectFactory::UpdateRegistryAll(false)) return SELFREG_E_CLASS;
  return S_OK;
}
