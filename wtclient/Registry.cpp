#include "wtclient/Registry.h"

#include <cstdio>

#include "wtclient/Connection.h"

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
}

void Registry::SetCallback(PFN_ExtendedAECallback cb) { m_callback.store(cb); }

PFN_ExtendedAECallback Registry::Callback() const { return m_callback.load(); }

void Registry::ThreadInit() {
  if (m_tls == TLS_OUT_OF_INDEXES) return;
  const uintptr_t n = reinterpret_cast<uintptr_t>(TlsGetValue(m_tls));
  TlsSetValue(m_tls, reinterpret_cast<LPVOID>(n + 1));
}

bool Registry::ThreadUninit() {
  if (m_tls == TLS_OUT_OF_INDEXES) return true;
  const uintptr_t n = reinterpret_cast<uintptr_t>(TlsGetValue(m_tls));
  if (n == 0) return false;
  TlsSetValue(m_tls, reinterpret_cast<LPVOID>(n - 1));
  return true;
}

bool Registry::ThreadInitialised() const {
  return m_tls == TLS_OUT_OF_INDEXES || TlsGetValue(m_tls) != nullptr;
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

HANDLE Registry::Add(std::shared_ptr<Connection> c) {
  Lock lock(m_cs);
  const uintptr_t h = m_nextHandle;
  m_nextHandle += 4;
  m_connections[h] = std::move(c);
  return reinterpret_cast<HANDLE>(h);
}

std::shared_ptr<Connection> Registry::Find(HANDLE h) {
  Lock lock(m_cs);
  auto it = m_connections.find(reinterpret_cast<uintptr_t>(h));
  return it == m_connections.end() ? nullptr : it->second;
}

std::shared_ptr<Connection> Registry::Remove(HANDLE h) {
  Lock lock(m_cs);
  auto it = m_connections.find(reinterpret_cast<uintptr_t>(h));
  if (it == m_connections.end()) return nullptr;
  std::shared_ptr<Connection> c = std::move(it->second);
  m_connections.erase(it);
  return c;
}

uint32_t Registry::NextSerial() {
  Lock lock(m_cs);
  return ++m_serial;
}

}  // namespace wtclient
