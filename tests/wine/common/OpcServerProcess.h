// Our OPC AE server, VelmaricOpcServer.exe, started by a test with a
// scenario of its own. The server registers its class object for every
// client and signals a named event once COM clients reach this instance; the
// test's controls then connect to it through WTclient.dll's COM path (the
// in-process simulator's variables are cleared). It leaves by itself when
// its last client is gone; a test may also kill it.
#pragma once
#include <windows.h>

#include <fstream>
#include <string>

#include "tests/wine/common/WineTestUtil.h"

class OpcServerProcess {
 public:
  OpcServerProcess() = default;
  OpcServerProcess(const OpcServerProcess&) = delete;
  OpcServerProcess& operator=(const OpcServerProcess&) = delete;
  ~OpcServerProcess() { Stop(); }

  // The tree's own server, or the one VELMARIC_OPC_SERVER_EXE names (a unix
  // path): the other word size's, for the runs across word sizes.
  static std::wstring ServerExe() {
    const char* other = std::getenv("VELMARIC_OPC_SERVER_EXE");
    return other && *other ? WinPathOf(other) : BinPath(L"VelmaricOpcServer.exe");
  }

  // Writes the scenario, starts the server and waits until it serves.
  bool Start(const std::string& tag, const std::string& scenario) {
    SetEnvironmentVariableA("WTCLIENT_SIM_SCENARIO", nullptr);
    SetEnvironmentVariableA("WTCLIENT_INPROCESS", nullptr);
    char dir[MAX_PATH];
    GetTempPathA(MAX_PATH, dir);
    const std::string stem = std::string(dir) + "velmaric_srv_" + tag + "_" + std::to_string(GetCurrentProcessId());
    m_scenario = stem + ".txt";
    m_log = stem + ".log";
    std::ofstream(m_scenario, std::ios::binary) << scenario;
    const std::wstring ready = L"velmaric_ready_" + std::wstring(tag.begin(), tag.end()) + L"_" +
                               std::to_wstring(GetCurrentProcessId());
    HANDLE event = CreateEventW(nullptr, TRUE, FALSE, ready.c_str());
    if (!event) return false;
    std::wstring cmd = L"\"" + ServerExe() + L"\" --scenario \"" + Wide(m_scenario) +
                       L"\" --ready " + ready + L" --log \"" + Wide(m_log) + L"\"";
    STARTUPINFOW si = {};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi = {};
    const bool started = CreateProcessW(nullptr, &cmd[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi);
    if (started) {
      CloseHandle(pi.hThread);
      m_process = pi.hProcess;
      m_pid = pi.dwProcessId;
      HANDLE both[2] = {event, m_process};
      const DWORD got = WaitForMultipleObjects(2, both, FALSE, 30000);
      CloseHandle(event);
      return got == WAIT_OBJECT_0;
    }
    CloseHandle(event);
    return false;
  }

  HANDLE Handle() const { return m_process; }
  DWORD Pid() const { return m_pid; }
  const std::string& LogPath() const { return m_log; }

  bool Running() const { return m_process && WaitForSingleObject(m_process, 0) == WAIT_TIMEOUT; }
  // True once the process has left within the time given.
  bool WaitExit(DWORD ms) const { return !m_process || WaitForSingleObject(m_process, ms) == WAIT_OBJECT_0; }

  // Wine 8's rpcss keeps the class registration of a killed server and
  // hands it out first, so no later client of the prefix would reach a new
  // server; stopping the service (COM starts it again on demand) forgets it.
  void Kill() {
    if (!Running()) return;
    TerminateProcess(m_process, 9);
    WaitForSingleObject(m_process, 10000);
    ForgetKilledServers();
  }

  static bool ForgetKilledServers() {
    SC_HANDLE scm = OpenSCManagerW(nullptr, nullptr, SC_MANAGER_CONNECT);
    if (!scm) return false;
    SC_HANDLE rpcss = OpenServiceW(scm, L"RpcSs", SERVICE_STOP | SERVICE_QUERY_STATUS);
    bool stopped = false;
    if (rpcss) {
      SERVICE_STATUS status = {};
      ControlService(rpcss, SERVICE_CONTROL_STOP, &status);
      for (int i = 0; i < 200 && !stopped; ++i) {
        stopped = QueryServiceStatus(rpcss, &status) && status.dwCurrentState == SERVICE_STOPPED;
        if (!stopped) Sleep(50);
      }
      CloseServiceHandle(rpcss);
    }
    CloseServiceHandle(scm);
    return stopped;
  }

  // Gives the server a moment to leave by itself, then ends it.
  void Stop(DWORD graceMs = 5000) {
    if (!m_process) return;
    if (!WaitExit(graceMs)) Kill();
    CloseHandle(m_process);
    m_process = nullptr;
    if (!m_scenario.empty()) DeleteFileA(m_scenario.c_str());
  }

 private:
  static std::wstring Wide(const std::string& s) { return std::wstring(s.begin(), s.end()); }

  HANDLE m_process = nullptr;
  DWORD m_pid = 0;
  std::string m_scenario, m_log;
};
