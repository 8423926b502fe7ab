// The version functions over the control module's own file.
#pragma once
#include "framework/VersionPort.h"

VersionPort& Win32Version();
