// A modal dialog of the control module's templates (DialogBoxParamW), bound
// to its CDialog object for data exchange and the OK and Cancel buttons.
#pragma once
#include <windows.h>

#include "framework/Dialog.h"

// `owner` null: the active window's top-level window owns the dialog (and is
// disabled while it runs), as for a dialog made without a parent.
intptr_t RunModalDialog(CDialog& dialog, HWND owner);
