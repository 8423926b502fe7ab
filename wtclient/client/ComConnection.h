// One connection to an OPC AE server over COM: its server object, its
// subscriptions with their sinks, and the categories of the last query.
// Its server may die at any time; then nothing more is delivered, later
// calls fail, and Close still cleans up.
#pragma once
#include "opc_ae.h"

#include <ocidl.h>

#include <memory>
#include <vector>

#include "wtclient/AEConnection.h"
#include "opc/TransportFailure.h"
#include "wtclient/client/CategoryList.h"
#include "wtclient/client/DeliveryGate.h"

namespace wtclient {

class EventSink;

class ComConnection : public AEConnection {
 public:
  // Takes over the caller's reference on the server.
  explicit ComConnection(IOPCEventServer* server);
  ~ComConnection() override;
  ComConnection(const ComConnection&) = delete;
  ComConnection& operator=(const ComConnection&) = delete;

  bool QueryCategories(DWORD eventTypes, DWORD* count, DWORD** ids, LPWSTR** names) override;
  HANDLE Subscribe(DWORD_PTR clientHandle, DWORD* revisedBufferTime, DWORD* revisedMaxSize) override;
  bool Refresh(DWORD_PTR clientHandle) override;
  void Close() override;

  // Asks the server for its status; a failure marks the connection dead.
  void CheckAlive();
  bool Dead() const { return m_gate->Dead(); }

 private:
  struct Subscription {
    DWORD_PTR clientHandle = 0;
    OPCHANDLE serverHandle = 0;
    IOPCEventSubscriptionMgt* manager = nullptr;
    IConnectionPoint* point = nullptr;
    DWORD cookie = 0;
    EventSink* sink = nullptr;
  };
  // What Close hands to the teardown: released without the connection.
  struct Leftovers {
    IOPCEventServer* server = nullptr;
    std::vector<Subscription> subscriptions;
    std::shared_ptr<DeliveryGate> gate;
  };

  // The server with a reference for the caller; null once closed or dead.
  IOPCEventServer* Server();
  // Marks the connection dead when the failure says the server is gone.
  void Check(HRESULT hr);
  static void Release(Subscription& s, bool unadvise);
  static void TearDown(Leftovers& left);
  static DWORD WINAPI TearDownThread(void* arg);

  mutable CRITICAL_SECTION m_cs;
  IOPCEventServer* m_server;
  bool m_closed = false;
  std::vector<Subscription> m_subscriptions;
  std::shared_ptr<DeliveryGate> m_gate;
  opc::FailureCount m_statusFailures;  // the status watch's thread only

  CRITICAL_SECTION m_queryCs;  // the category arrays, apart from m_cs: a query may hang
  CategoryList m_categories;
};

}  // namespace wtclient
