#include "wtclient/Mode.h"

#include <windows.h>

namespace wtclient {

bool UseInProcessSimulator() {
  char value[8];
  if (GetEnvironmentVariableA("WTCLIENT_SIM_SCENARIO", value, sizeof value) > 0) return true;
  const DWORD n = GetEnvironmentVariableA("WTCLIENT_INPROCESS", value, sizeof value);
  return n == 1 && value[0] == '1';
}

}  // namespace wtclient
