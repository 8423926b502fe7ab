// Whether a machine name given to ConnectOPC_AE means this computer.
#pragma once
#include <windows.h>

namespace wtclient {

// Null, "", ".", "localhost", "127.0.0.1" or this computer's name, with or
// without leading backslashes.
bool IsLocalMachine(LPCSTR name);

}  // namespace wtclient
