#include "ServerProcess.h"

#include <fstream>
#include <sstream>

#include "OpcTestSupport.h"

namespace {

std::wstring TempFile(const std::wstring& stem, const wchar_t* ext) {
  wchar_t dir[MAX_PATH];
  GetTempPathW(MAX_PATH, dir);
  return std::wstring(dir) + stem + ext;
}

}  // namespace

ServerProcess::~ServerProcess() {
  Kill();
  if (!m_scenarioPath.empty()) DeleteFileW(m_scenarioPath.c_str());
  if (!m_logPath.empty()) DeleteFileW(m_logPath.c_str());
}

bool ServerProcess::Start(const std::string& scenario, std::string* why, DWORD timeoutMs) {
  static LONG counter = 0;
  const std::wstring stem = L"velmaric_st_" + std::to_wstring(GetCurrentProcessId()) + L"_" +
                            std::to_wstring(InterlockedIncrement(&counter));
  m_scenarioPath = TempFile(stem, L".txt");
  m_logPath = TempFile(stem, L".log");
  {
    std::ofstream out(m_scenarioPath.c_str(), std::ios::binary);
    out << scenario;
  }
  const std::wstring readyName = stem + L"_ready";
  HANDLE ready = CreateEventW(nullptr, TRUE, FALSE, readyName.c_str());
  std::wstring cmd = L"\"" + BinFile(kServerExe) + L"\" --scenario \"" + m_scenarioPath + L"\" --ready " +
                     readyName + L" --log \"" + m_logPath + L"\"";
  STARTUPINFOW si = {};
  si.cb = sizeof si;
  PROCESS_INFORMATION pi = {};
  m_launchedAt = NowFt();
  if (!CreateProcessW(nullptr, &cmd[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi)) {
    *why = "CreateProcess failed, error " + std::to_string(GetLastError()) + " for " + Narrow(cmd);
    CloseHandle(ready);
    return false;
  }
  CloseHandle(pi.hThread);
  m_process = pi.hProcess;
  HANDLE both[2] = {ready, m_process};
  const DWORD w = WaitForMultipleObjects(2, both, FALSE, timeoutMs);
  CloseHandle(ready);
  if (w == WAIT_OBJECT_0) return true;
  *why = w == WAIT_OBJECT_0 + 1 ? "the server exited with code " + std::to_string(ExitCode()) + " before it was ready"
                                : std::string("the server did not report ready in time");
  *why += "; log:\n" + Log();
  Kill();
  return false;
}

bool ServerProcess::Running() const { return m_process && WaitForSingleObject(m_process, 0) == WAIT_TIMEOUT; }

bool ServerProcess::WaitExit(DWORD ms) { return !m_process || WaitForSingleObject(m_process, ms) == WAIT_OBJECT_0; }

void ServerProcess::Kill() {
  if (!m_process) return;
  if (WaitForSingleObject(m_process, 0) == WAIT_TIMEOUT) {
    TerminateProcess(m_process, 99);
    WaitForSingleObject(m_process, 5000);
  }
  CloseHandle(m_process);
  m_process = nullptr;
}

DWORD ServerProcess::ExitCode() const {
  DWORD code = STILL_ACTIVE;
  if (m_process) GetExitCodeProcess(m_process, &code);
  return code;
}

std::string ServerProcess::Log() const {
  std::ifstream in(m_logPath.c_str(), std::ios::binary);
  std::stringstream text;
  text << in.rdbuf();
  std::string s = text.str();
  if (s.size() > 4000) s = "..." + s.substr(s.size() - 4000);
  return s;
}
