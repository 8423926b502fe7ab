// The module: CVelmaricAEApp, the control's class factory, and the four
// exports. Registration writes the type library first, then every factory's
// entries.
#include <windows.h>
#include <olectl.h>

#include "control/VelmaricAECtrl.h"
#include "control/com/VelmaricAEIds.h"
#include "framework/win32/ClassFactory.h"
#include "framework/win32/ComModule.h"
#include "framework/win32/ControlModule.h"
#include "framework/win32/OleControlObject.h"
#include "framework/win32/Registration.h"
#include "framework/win32/Win32Clock.h"
#include "intake/win32/Win32IntakePorts.h"
#include "resources/resource.h"

namespace {

constexpr DWORD kMiscStatus = OLEMISC_SETCLIENTSITEFIRST | OLEMISC_SIMPLEFRAME | OLEMISC_ACTIVATEWHENVISIBLE |
                              OLEMISC_INSIDEOUT | OLEMISC_CANTLINKINSIDE | OLEMISC_RECOMPOSEONRESIZE;
static_assert(kMiscStatus == 0x30191, "status flags");

const CLSID kPropPages[] = {CLSID_VelmaricAEPropPage, CLSID_StockFontPage, CLSID_StockColorPage,
                            CLSID_SeverityPpg,        CLSID_ColumnsPpg,    CLSID_HidePpg};

const ControlClassInfo kClassInfo = {
    CLSID_VelmaricAE, DIID__DVelmaricAE, DIID__DVelmaricAEEvents, LIBID_VelmaricAELib, 1, 0, kMiscStatus,
    IDS_VELMARICAE,   kPropPages,        sizeof kPropPages / sizeof kPropPages[0],
    []() -> COleControl* { return new CVelmaricAECtrl(); }};

class CVelmaricAEApp : public COleControlModule {
 public:
  BOOL InitInstance() override {
    static Win32Clock clock;
    ControlPlatform platform = ControlPlatform::Default();
    platform.clock = &clock;
    InstallWin32IntakePorts(platform);
    ControlPlatform::SetDefault(platform);
    return TRUE;
  }
};

CVelmaricAEApp theApp;

}  // namespace

class CVelmaricAECtrl::CVelmaricAECtrlFactory : public COleObjectFactory {
 public:
  CVelmaricAECtrlFactory()
      : COleObjectFactory(CLSID_VelmaricAE, &Create, false, kProgIdVelmaricAE, &UpdateRegistry) {}

 private:
  static HRESULT Create(IUnknown* outer, REFIID riid, void** ppv) {
    return OleControlObject::Create(kClassInfo, outer, riid, ppv);
  }
  static bool UpdateRegistry(const COleObjectFactory& f, bool reg) {
    if (!reg) return UnregisterClass(f.GetClassID(), f.GetProgID());
    ControlRegistration r = {&CLSID_VelmaricAE, kProgIdVelmaricAE, IDS_VELMARICAE, IDB_VELMARICAE,
                             L"Apartment",      kMiscStatus,       &LIBID_VelmaricAELib, 1, 0};
    return RegisterControlClass(r);
  }
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

STDAPI DllCanUnloadNow() { return com_module::CanUnload() ? S_OK : S_FALSE; }

STDAPI DllRegisterServer() {
  if (FAILED(RegisterModuleTypeLib())) return SELFREG_E_TYPELIB;
  if (!COleObjectFactory::UpdateRegistryAll(true)) return SELFREG_E_CLASS;
  return S_OK;
}

STDAPI DllUnregisterServer() {
  if (FAILED(UnregisterModuleTypeLib(LIBID_VelmaricAELib, 1, 0))) return SELFREG_E_TYPELIB;
  if (!COleObjectFactory::UpdateRegistryAll(false)) return SELFREG_E_CLASS;
  return S_OK;
}
