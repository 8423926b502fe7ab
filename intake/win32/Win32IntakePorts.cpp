#include "intake/win32/Win32IntakePorts.h"

#include "intake/win32/WTclientLibrary.h"
#include "intake/win32/Win32Time.h"

void InstallWin32IntakePorts(ControlPlatform& platform) {
  static Win32Time time;
  static WTclientLoader library;
  platform.time = &time;
  platform.aeLibrary = &library;
}
