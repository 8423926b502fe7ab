// A scenario for our WTclient.dll's simulated server: written to a file named
// after `tag` and the process, and made the one the next connect reads.
#pragma once
#include <windows.h>

#include <fstream>
#include <string>

inline std::string UseScenario(const std::string& tag, const std::string& text) {
  char dir[MAX_PATH];
  GetTempPathA(MAX_PATH, dir);
  const std::string path = std::string(dir) + "velmaric_" + tag + "_" + std::to_string(GetCurrentProcessId()) + ".txt";
  std::ofstream(path, std::ios::binary) << text;
  SetEnvironmentVariableA("WTCLIENT_SIM_SCENARIO", path.c_str());
  return path;
}
