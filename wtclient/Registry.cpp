#include "wtclient/Registry.h"

#include <cstdio>

#include "wtclient/AEConnection.h"

namespace wtclient {
namespace {

const char kScenarioVariable[] = "WTCLIENT_SIM_SCENARIO";

std::string ReadScenarioVariable() {
  char buf[1024];
  const DWORD n = GetEnvironmentVariableA(kScenarioVariable, buf, sizeof buf);
  if (n == 0 || n >= sizeof buf) return std::string();
  return std::string(buf, n);
}

// A Unix path ("/a/b", as set from a Wine host shell) is tried on the Z:
// drive when it does not exist as given.
std::string ResolvePath(const std::string& path) {
  if (path.empty() || path[0] != '/' || GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES) return path;
  std::string z = "Z:" + path;
  for (char& c : z)
    if (c == '/') c = '\\';
  return GetFileAttributesA(z.c_str()) != INVALID_FILE_ATTRIBUTES ? z : path;
}

std::shared_ptr<ScenarioSource> Load(const std::string& path) {
  auto src = std::make_shared<ScenarioSource>();
  const wtsim::ParseResult r = wtsim::LoadScenarioFile(ResolvePath(path));
  if (r.ok) {
    src->ok = true;
    src->scenario = r.scenario;
  } else if (r.line > 0) {
    std::fprintf(stderr, "WTclient: scenario file %s, line %d: %s; every connect will fail\n", path.c_str(), r.line,
                 r.error.c_str());
  } else {
    std::fprintf(stderr, "WTclient: scenario file %s: %s; every connect will fail\n", path.c_str(),
                 r.error.c_str());
  }
  std::fflush(stderr);
  return src;
}

}  // namespace

Registry& Registry::Get() {
  // Never destroyed: connections may still be running when the process ends.
  static Registry* r = new Registry;
  return *r;
}

Registry::Registry() {
  InitializeCriticalSection(&m_cs);
  m_tls = TlsAlloc();
  m_comTls = TlsAlloc();
}

void Registry::SetCallback(PFN_ExtendedAECallback cb) { m_callback.store(cb); }

PFN_ExtendedAECallback Registry::Callback() const { return m_callback.load(); }

namespace {

uintptr_t Count(DWORD slot) { return reinterpret_cast<uintptr_t>(TlsGetValue(slot)); }

void SetCount(DWORD slot, uintptr_t n) { TlsSetValue(slot, reinterpret_cast<LPVOID>(n)); }

}  // namespace

void Registry::ThreadInit(bool comInitialised) {
  if (m_tls == TLS_OUT_OF_INDEXES || m_comTls == TLS_OUT_OF_INDEXES) return;
  SetCount(m_tls, Count(m_tls) + 1);
  if (comInitialised) SetCount(m_comTls, Count(m_comTls) + 1);
}

bool Registry::ThreadUninit(bool& comInitialised) {
  comInitialised = false;
  if (m_tls == TLS_OUT_OF_INDEXES || m_comTls == TLS_OUT_OF_INDEXES) return true;
  const uintptr_t n = Count(m_tls);
  if (n == 0) return false;
  SetCount(m_tls, n - 1);
  // CoInitializeEx either always or never succeeds on one thread, so the
  // COM count runs out together with the total.
  const uintptr_t com = Count(m_comTls);
  if (com > 0) {
    SetCount(m_comTls, com - 1);
    comInitialised = true;
  }
  return true;
}

bool Registry::ThreadInitialised() const {
  return m_tls == TLS_OUT_OF_INDEXES || TlsGetValue(m_tls) != nullptr;
}

bool Registry::ThreadComInitialised() const {
  return m_comTls != TLS_OUT_OF_INDEXES && TlsGetValue(m_comTls) != nullptr;
}

std::shared_ptr<ScenarioSource> Registry::CurrentScenario() {
  const std::string path = ReadScenarioVariable();
  Lock lock(m_cs);
  auto it = m_scenarios.find(path);
  if (it != m_scenarios.end()) return it->second;
  std::shared_ptr<ScenarioSource> src;
  if (path.empty()) {
    src = std::make_shared<ScenarioSource>();
    src->ok = true;
    src->scenario = wtsim::Scenario::Plant();
  } else {
    src = Load(path);
  }
  m_scenarios[path] = src;
  return src;
}

bool Registry::TakeFailure(ScenarioSource& src, wtsim::Call call, uint32_t& hangMs) {
  Lock lock(m_cs);
  hangMs = src.scenario.Mode(call).hangMs;
  return src.scenario.TakeFailure(call);
}

HANDLE Registry::Add(std::shared_ptr<AEConnection> c) {
  Lock lock(m_cs);
  const uintptr_t h = m_nextHandle;
  m_nextHandle += 4;
  m_connections[h] = std::move(c);
  return reinterpret_cast<HANDLE>(h);
}

std::shared_ptr<AEConnection> Registry::Find(HANDLE h) {
  Lock lock(m_cs);
  auto it = m_connections.find(reinterpret_cast<uintptr_t>(h));
  return it == m_connections.end() ? nullptr : it->second;
}

std::shared_ptr<AEConnection> Registry::Remove(HANDLE h) {
  Lock lock(m_cs);
  auto it = m_connections.find(reinterpret_cast<uintptr_t>(h));
  if (it == m_connections.end()) return nullptr;
  std::shared_ptr<AEConnection> c = std::move(it->second);
  m_connections.erase(it);
  return c;
}

uint32_t Registry::NextSerial() {
  Lock lock(m_cs);
  return ++m_serial;
}

}  // namespace wtclient
