#include "wtclient/LocalMachine.h"

namespace wtclient {

bool IsLocalMachine(LPCSTR name) {
  if (!name || !*name) return true;
  while (*name == '\\') ++name;
  if (lstrcmpiA(name, "localhost") == 0 || lstrcmpiA(name, ".") == 0 || lstrcmpiA(name, "127.0.0.1") == 0)
    return true;
  char computer[MAX_COMPUTERNAME_LENGTH + 1];
  DWORD size = sizeof computer;
  return GetComputerNameA(computer, &size) && lstrcmpiA(name, computer) == 0;
}

}  // namespace wtclient
