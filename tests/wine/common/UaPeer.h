// The scripted OPC UA alarm server that scripts/with-ua-peer.sh runs beside a test: its endpoint, and its
// line-command control port reached over Winsock.
#pragma once
#include <winsock2.h>
#include <ws2tcpip.h>
#include <windows.h>

#include <string>

namespace uapeer {

inline std::string Env(const char* name) {
  char value[512];
  const DWORD n = GetEnvironmentVariableA(name, value, sizeof value);
  return n > 0 && n < sizeof value ? std::string(value, n) : std::string();
}

// Why the peer is not there ("" when it is): the tests skip with this reason.
inline std::string Unavailable() {
  std::string why = Env("VELMARIC_UA_PEER_UNAVAILABLE");
  if (why.empty() && Env("VELMARIC_UA_ENDPOINT").empty())
    why = "VELMARIC_UA_ENDPOINT is not set (run under scripts/with-ua-peer.sh)";
  return why;
}

inline std::string Endpoint() { return Env("VELMARIC_UA_ENDPOINT"); }

// Sends one command line; returns the reply line, or "" when the peer did not answer within the timeout
// (or when waitReply is false).
inline std::string Command(const std::string& line, bool waitReply = true, DWORD timeoutMs = 60000) {
  const std::string control = Env("VELMARIC_UA_CONTROL");
  const size_t colon = control.rfind(':');
  if (colon == std::string::npos) return std::string();
  WSADATA data;
  if (WSAStartup(MAKEWORD(2, 2), &data) != 0) return std::string();
  std::string reply;
  SOCKET s = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_port = htons(static_cast<u_short>(std::stoi(control.substr(colon + 1))));
  inet_pton(AF_INET, control.substr(0, colon).c_str(), &address.sin_addr);
  if (s != INVALID_SOCKET && connect(s, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0) {
    const std::string out = line + "\n";
    send(s, out.data(), static_cast<int>(out.size()), 0);
    const DWORD timeout = timeoutMs;
    setsockopt(s, SOL_SOCKET, SO_RCVTIMEO, reinterpret_cast<const char*>(&timeout), sizeof timeout);
    char c;
    while (waitReply && recv(s, &c, 1, 0) == 1 && c != '\n') reply += c;
  }
  if (s != INVALID_SOCKET) closesocket(s);
  WSACleanup();
  return reply;
}

// Returns once the peer answers again (after a stall): any reply will do.
inline bool Sync() { return !Command("ping").empty(); }

// Maps a ProgID to a UA endpoint for the current user (the library's setting), and takes it away again.
class EndpointMapping {
 public:
  static constexpr const wchar_t* kKey = L"Software\\Velmaric\\WTclient\\UA Endpoints";

  EndpointMapping(HKEY root, const std::wstring& progId, const std::wstring& url) : m_root(root), m_progId(progId) {
    HKEY key = nullptr;
    m_ok = RegCreateKeyExW(root, kKey, 0, nullptr, 0, KEY_SET_VALUE | KEY_WOW64_64KEY, nullptr, &key, nullptr) ==
           ERROR_SUCCESS;
    if (m_ok) {
      m_ok = RegSetValueExW(key, progId.c_str(), 0, REG_SZ, reinterpret_cast<const BYTE*>(url.c_str()),
                            static_cast<DWORD>((url.size() + 1) * sizeof(wchar_t))) == ERROR_SUCCESS;
      RegCloseKey(key);
    }
  }
  ~EndpointMapping() { Remove(m_root, m_progId); }
  EndpointMapping(const EndpointMapping&) = delete;
  EndpointMapping& operator=(const EndpointMapping&) = delete;
  bool Ok() const { return m_ok; }

  static void Remove(HKEY root, const std::wstring& progId) {
    HKEY key = nullptr;
    if (RegOpenKeyExW(root, kKey, 0, KEY_SET_VALUE | KEY_WOW64_64KEY, &key) != ERROR_SUCCESS) return;
    RegDeleteValueW(key, progId.c_str());
    RegCloseKey(key);
  }

 private:
  HKEY m_root;
  std::wstring m_progId;
  bool m_ok = false;
};

inline std::wstring Wide(const std::string& s) { return std::wstring(s.begin(), s.end()); }

}  // namespace uapeer
