// The platform services a control is built with: its clock, and (for the
// intake and session) time conversion and the AE client library. The win32
// module installs real ones as the default; native tests pass fakes.
#pragma once
#include "framework/Clock.h"
#include "intake/AELibrary.h"
#include "intake/TimePort.h"

struct ControlPlatform {
  Clock* clock = nullptr;
  TimePort* time = nullptr;
  // May load nothing: the control then works without a server.
  AELibraryLoader* aeLibrary = nullptr;

  // The platform every new control gets unless told otherwise. Natively: a
  // steady clock, UTC as the local zone, and no AE library.
  static const ControlPlatform& Default();
  static void SetDefault(const ControlPlatform& platform);
};
