// COleControlModule: the module object. One static instance per module; the
// module's DllMain hands it the instance handle.
#pragma once
#include <windows.h>

class COleControlModule {
 public:
  COleControlModule();
  virtual ~COleControlModule();
  virtual BOOL InitInstance() { return TRUE; }
  virtual int ExitInstance() { return 0; }

  static COleControlModule* Get() { return s_pModule; }
  // DllMain's work: record the instance, run start-up and shut-down.
  static BOOL OnProcessAttach(HINSTANCE instance);
  static void OnProcessDetach();

 private:
  static COleControlModule* s_pModule;
};
