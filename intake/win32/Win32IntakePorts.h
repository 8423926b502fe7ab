// The intake's Windows ports: time conversion over the kernel and OLE
// Automation, and WTclient.dll loaded at run time on the session's worker
// thread (from the control module's own folder first, then by the standard
// search order). The module calls this once at start-up.
#pragma once
#include "framework/ControlPlatform.h"

void InstallWin32IntakePorts(ControlPlatform& platform);
