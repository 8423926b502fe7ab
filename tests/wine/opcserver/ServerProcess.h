// One instance of our OPC AE server started by the test with a scenario of
// its own, so COM clients of this process reach that instance only.
#pragma once
#include <windows.h>

#include <cstdint>
#include <string>

class ServerProcess {
 public:
  ServerProcess() = default;
  ServerProcess(const ServerProcess&) = delete;
  ServerProcess& operator=(const ServerProcess&) = delete;
  ~ServerProcess();

  // Writes the scenario to a file, starts the server on it and waits until
  // it reports its class object registered. False (with a reason) if the
  // server did not start or died first.
  bool Start(const std::string& scenario, std::string* why, DWORD timeoutMs = 20000);
  bool Running() const;
  // True once the process has exited within the time.
  bool WaitExit(DWORD ms);
  void Kill();
  DWORD ExitCode() const;
  // The server's log, for a failure message.
  std::string Log() const;
  // System time just before the process was created.
  uint64_t LaunchedAt() const { return m_launchedAt; }

 private:
  HANDLE m_process = nullptr;
  std::wstring m_scenarioPath, m_logPath;
  uint64_t m_launchedAt = 0;
};
