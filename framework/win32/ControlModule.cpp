#include "framework/win32/ControlModule.h"

#include "framework/win32/ComModule.h"

COleControlModule* COleControlModule::s_pModule = nullptr;

COleControlModule::COleControlModule() { s_pModule = this; }
COleControlModule::~COleControlModule() {
  if (s_pModule == this) s_pModule = nullptr;
}

BOOL COleControlModule::OnProcessAttach(HINSTANCE instance) {
  com_module::SetInstance(instance);
  DisableThreadLibraryCalls(instance);
  return s_pModule ? s_pModule->InitInstance() : TRUE;
}

void COleControlModule::OnProcessDetach() {
  if (s_pModule) s_pModule->ExitInstance();
  com_module::ReleaseTypeLib();
}
