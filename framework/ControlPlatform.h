// The platform services a control is built with: its clock, time conversion
// and the AE client library (intake and session), the user interface (menus,
// cursors, message boxes, dialogs) and the version functions. The win32
// module installs real ones as the default; native tests pass fakes.
#pragma once
#include "framework/AELibrary.h"
#include "framework/Clock.h"
#include "framework/TimePort.h"
#include "framework/UiPort.h"
#include "framework/VersionPort.h"

struct ControlPlatform {
  Clock* clock = nullptr;
  TimePort* time = nullptr;
  // May load nothing: the control then works without a server.
  AELibraryLoader* aeLibrary = nullptr;
  // Null: nothing is shown (NullUi).
  UiPort* ui = nullptr;
  // Null: no version information can be read.
  VersionPort* version = nullptr;

  // The platform every new control gets unless told otherwise. Natively: a
  // steady clock, UTC as the local zone, no AE library, no user interface and
  // no version information.
  static const ControlPlatform& Default();
  static void SetDefault(const ControlPlatform& platform);
};
