// One connection to an OPC UA server's alarms and conditions, behind the same face as a classic AE
// connection. The UA session and its one event subscription are made when the connection opens; a
// thread of the connection then keeps publishing, maps each UA event to an AE record and hands the
// records to every AE subscription of the connection through the notification callback.
//
// A fault of any kind (the server closes, stalls, refuses or sends what cannot be decoded) ends the
// session: the connection is dead from then on, nothing more is delivered, later calls fail, and Close
// still returns promptly.
#pragma once
#include <windows.h>

#include <atomic>
#include <deque>
#include <memory>
#include <string>
#include <vector>

#include "plant/SimEvent.h"
#include "uaclient/AlarmFeed.h"
#include "uaclient/client/UaSession.h"
#include "uaclient/client/win32/WinsockSocket.h"
#include "wtclient/AEConnection.h"
#include "wtclient/client/CategoryList.h"
#include "wtclient/client/DeliveryGate.h"

namespace wtclient {

class UaConnection : public AEConnection, public std::enable_shared_from_this<UaConnection> {
 public:
  // Connects and subscribes; null when the server cannot be reached or refuses (the reason goes to the
  // debugger output).
  static std::shared_ptr<UaConnection> Open(const std::string& endpointUrl);

  explicit UaConnection(const std::string& endpointUrl);
  ~UaConnection() override;
  UaConnection(const UaConnection&) = delete;
  UaConnection& operator=(const UaConnection&) = delete;

  // Every category known so far, whatever the mask: a UA event type has no AE event type of its own (its
  // events come as condition events when they carry condition fields and as simple ones when not).
  bool QueryCategories(DWORD eventTypes, DWORD* count, DWORD** ids, LPWSTR** names) override;
  HANDLE Subscribe(DWORD_PTR clientHandle, DWORD* revisedBufferTime, DWORD* revisedMaxSize) override;
  // Asks the server for a ConditionRefresh; the records between its start and end events reach this
  // client with the refresh flags. False when the connection is dead or the client unknown.
  bool Refresh(DWORD_PTR clientHandle) override;
  void Close() override;

  bool Dead() const { return m_gate->Dead(); }

 private:
  bool Start();
  static DWORD WINAPI ThreadMain(void* arg);
  void Run();
  void StartRefreshIfDue();
  void OnEvents(const std::vector<std::vector<ua::Variant>>& events);
  void Deliver(const wtsim::Batch& batch, const std::vector<DWORD_PTR>& clients, bool refresh);
  std::vector<DWORD_PTR> Clients();

  // Used by the connection's thread only, once Start has returned.
  ua::WinsockSocket m_socket;
  ua::UaSession m_session;
  uint32_t m_refreshReplies = 0;
  std::vector<DWORD_PTR> m_refreshing;  // the clients of the refresh under way

  CRITICAL_SECTION m_cs;  // what follows, up to the gate
  std::atomic<bool> m_stop{false};
  HANDLE m_thread = nullptr;
  DWORD m_threadId = 0;
  std::vector<DWORD_PTR> m_clients;
  std::deque<DWORD_PTR> m_refreshes;  // asked for and not yet started
  uint32_t m_nextSubscription = 0x7100;
  ua::AlarmFeed m_feed;  // mapped on the thread; read by queries
  CategoryList m_categories;

  std::shared_ptr<DeliveryGate> m_gate;
};

}  // namespace wtclient
