#include "FakeAEServer.h"

#include <algorithm>

class FakeAEServer::Library : public AELibrary {
 public:
  explicit Library(FakeAEServer& s) : m_s(s) {}
  void WTclientCoInit() override { m_s.Log("WTclientCoInit"); }
  void WTclientCoUninit() override { m_s.Log("WTclientCoUninit"); }
  void EnableExtendedAECallback(AEEventCallbackFn cb) override {
    m_s.Log("EnableExtendedAECallback");
    std::unique_lock<std::shared_mutex> l(m_s.m_delivery);
    m_s.m_callback = cb;
  }
  uintptr_t ConnectOPC_AE(const char* machine, const char* progId) override {
    m_s.Log("ConnectOPC_AE");
    if (m_s.m_onConnect) m_s.m_onConnect();
    if (!m_s.m_bAvailable || std::string(machine) != "" ||
        std::string(progId) != "Velmaric.TamborelOpcDa.1")
      return kConnectFailed;
    std::lock_guard<std::mutex> l(m_s.m_m);
    return ++m_s.m_nextConnection;
  }
  void QueryEventCategories(uintptr_t, uint32_t eventType, uint32_t* count, const uint32_t** ids,
                            const char16_t* const** names) override {
    m_s.Log("QueryEventCategories");
    if (eventType != 1) return;
    m_s.m_namePtrs.clear();
    for (const String& n : m_s.m_categoryNames) m_s.m_namePtrs.push_back(n.c_str());
    *count = static_cast<uint32_t>(m_s.m_categoryIds.size());
    *ids = m_s.m_categoryIds.data();
    *names = m_s.m_namePtrs.data();
  }
  uintptr_t Create_AE_Subscription(uintptr_t connection, uintptr_t clientHandle, uint32_t* a,
                                   uint32_t* b) override {
    m_s.Log("Create_AE_Subscription");
    if (m_s.m_onSubscribe) m_s.m_onSubscribe();
    *a = 1000;
    *b = 50;
    if (m_s.m_bSubscriptionFails) return 0;
    std::unique_lock<std::shared_mutex> l(m_s.m_delivery);
    m_s.m_subscriptions[connection] = clientHandle;
    return connection + 1;
  }
  void Refresh_AE_Subscription(uintptr_t connection, uintptr_t) override {
    m_s.Log("Refresh_AE_Subscription");
    (void)connection;
    m_s.Deliver(m_s.m_current);
  }
  void DisconnectOPC_AE(uintptr_t connection) override {
    m_s.Log("DisconnectOPC_AE");
    std::unique_lock<std::shared_mutex> l(m_s.m_delivery);
    m_s.m_subscriptions.erase(connection);
  }

 private:
  FakeAEServer& m_s;
};

std::unique_ptr<AELibrary> FakeAEServer::Load() {
  if (m_pClock) m_pClock->JoinUntilThreadExit();
  {
    std::lock_guard<std::mutex> l(m_m);
    m_bLoaded = true;
  }
  m_cv.notify_all();
  if (m_onLoad) m_onLoad();
  if (!m_bLoadable) return nullptr;
  return std::make_unique<Library>(*this);
}

void FakeAEServer::WaitLoaded() {
  std::unique_lock<std::mutex> l(m_m);
  m_cv.wait(l, [&] { return m_bLoaded; });
  m_bLoaded = false;
}

bool FakeAEServer::Deliver(const std::vector<FakeRecord>& batch) {
  std::shared_lock<std::shared_mutex> l(m_delivery);
  if (m_subscriptions.empty() || !m_callback) return false;
  std::vector<AEEventRecord> recs(batch.size());
  for (size_t i = 0; i < batch.size(); ++i)
    recs[i] = {batch[i].time, batch[i].source.c_str(), batch[i].message.c_str(), batch[i].category,
               batch[i].severity};
  m_callback(m_subscriptions.begin()->second, 0, 0, static_cast<uint32_t>(recs.size()), recs.data());
  return true;
}

bool FakeAEServer::Subscribed() {
  std::shared_lock<std::shared_mutex> l(m_delivery);
  return !m_subscriptions.empty();
}

void FakeAEServer::Log(const char* name) {
  std::lock_guard<std::mutex> l(m_m);
  m_calls.push_back(name);
  m_callThreads.push_back(std::this_thread::get_id());
}

std::vector<std::string> FakeAEServer::Calls() {
  std::lock_guard<std::mutex> l(m_m);
  return m_calls;
}

size_t FakeAEServer::CountCalls(const std::string& name) {
  std::lock_guard<std::mutex> l(m_m);
  return std::count(m_calls.begin(), m_calls.end(), name);
}

bool FakeAEServer::AllCallsOffThread(std::thread::id testThread) {
  std::lock_guard<std::mutex> l(m_m);
  return std::find(m_callThreads.begin(), m_callThreads.end(), testThread) == m_callThreads.end();
}
