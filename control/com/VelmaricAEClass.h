// The control's class: identity, interfaces, type library, registry entries
// and pages, written once for the module's factory and registration and for
// the tests that make the control without the OCX.
#pragma once
#include "framework/win32/ControlClassInfo.h"

extern const ControlClassInfo kVelmaricAEClass;
