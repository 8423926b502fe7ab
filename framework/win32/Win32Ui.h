// The user-interface port over USER32, with the control module's resources
// (cursors, dialog templates). One per process: it keeps no state.
#pragma once
#include "framework/UiPort.h"

UiPort& Win32Ui();
