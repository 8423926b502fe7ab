// Event subscriptions: creation with revised values, GetState/SetState, the
// connection point that takes exactly one sink, and an inactive
// subscription that stays quiet until activated.
#include "ServerFixture.h"
#include "Subscription.h"

namespace {

class Subscriptions : public ServerFixture {};

// A revised value differing from the requested one must be announced.
void ExpectRevisionReported(HRESULT hr, DWORD buffer, DWORD revisedBuffer, DWORD max, DWORD revisedMax) {
  if (revisedBuffer == buffer && revisedMax == max) {
    EXPECT_EQ(S_OK, hr);
  } else if (revisedMax != max) {
    EXPECT_EQ(OPC_S_INVALIDMAXSIZE, hr) << "max size " << max << " revised to " << revisedMax;
  } else {
    EXPECT_EQ(OPC_S_INVALIDBUFFERTIME, hr) << "buffer time " << buffer << " revised to " << revisedBuffer;
  }
}

struct State {
  BOOL active = -1;
  DWORD buffer = 0, max = 0;
  OPCHANDLE handle = 0;
};

State GetState(IOPCEventSubscriptionMgt* mgt) {
  State s;
  EXPECT_EQ(S_OK, mgt->GetState(&s.active, &s.buffer, &s.max, &s.handle));
  return s;
}

}  // namespace

TEST_F(Subscriptions, CreateGetStateAndSetState) {
  ASSERT_TRUE(StartServer("category 1 0x104 Process message\n"));
  ComPtr<IOPCEventServer> srv;
  ASSERT_EQ(S_OK, Connect(srv));

  for (const DWORD buffer : {0u, 500u}) {
    for (const DWORD max : {0u, 10u}) {
      SCOPED_TRACE("buffer " + std::to_string(buffer) + " max " + std::to_string(max));
      ComPtr<IUnknown> unk;
      DWORD rb = 0xDEAD, rm = 0xDEAD;
      const HRESULT hr = srv->CreateEventSubscription(TRUE, buffer, max, 0x1234, IID_IOPCEventSubscriptionMgt,
                                                      &unk, &rb, &rm);
      ASSERT_TRUE(SUCCEEDED(hr)) << HrText(hr);
      ExpectRevisionReported(hr, buffer, rb, max, rm);
      ComPtr<IOPCEventSubscriptionMgt> mgt;
      ASSERT_EQ(S_OK, unk.As(&mgt));
      ComPtr<IConnectionPointContainer> container;
      EXPECT_EQ(S_OK, unk.As(&container));
      const State s = GetState(mgt.Get());
      EXPECT_EQ(TRUE, s.active);
      EXPECT_EQ(rb, s.buffer);
      EXPECT_EQ(rm, s.max);
      EXPECT_EQ(0x1234u, s.handle);
    }
  }

  ComPtr<IUnknown> unk;
  DWORD rb = 0, rm = 0;
  ASSERT_EQ(S_OK, srv->CreateEventSubscription(TRUE, 0, 0, 7, IID_IOPCEventSubscriptionMgt, &unk, &rb, &rm));
  ComPtr<IOPCEventSubscriptionMgt> mgt;
  ASSERT_EQ(S_OK, unk.As(&mgt));
  // Only the active flag and the handle change; null pointers keep values.
  BOOL inactive = FALSE;
  DWORD rb2 = 0xDEAD, rm2 = 0xDEAD;
  EXPECT_EQ(S_OK, mgt->SetState(&inactive, nullptr, nullptr, 0x5678, &rb2, &rm2));
  State s = GetState(mgt.Get());
  EXPECT_EQ(FALSE, s.active);
  EXPECT_EQ(rb, s.buffer);
  EXPECT_EQ(rm, s.max);
  EXPECT_EQ(0x5678u, s.handle);
  EXPECT_EQ(s.buffer, rb2);
  EXPECT_EQ(s.max, rm2);
  // Now buffer time and max size, the active flag left alone.
  DWORD buffer = 200, max = 5;
  const HRESULT hr = mgt->SetState(nullptr, &buffer, &max, 0x5678, &rb2, &rm2);
  ASSERT_TRUE(SUCCEEDED(hr)) << HrText(hr);
  ExpectRevisionReported(hr, buffer, rb2, max, rm2);
  s = GetState(mgt.Get());
  EXPECT_EQ(FALSE, s.active);
  EXPECT_EQ(rb2, s.buffer);
  EXPECT_EQ(rm2, s.max);
  EXPECT_EQ(0x5678u, s.handle);

  // A subscription offers the standard interfaces, not arbitrary ones.
  ComPtr<IUnknown> none;
  EXPECT_EQ(E_NOINTERFACE, srv->CreateEventSubscription(TRUE, 0, 0, 8, IID_IOPCEventSink, &none, &rb, &rm));
  EXPECT_EQ(nullptr, none.Get());
}

TEST_F(Subscriptions, ConnectionPointTakesExactlyOneSink) {
  ASSERT_TRUE(StartServer("category 1 0x104 Process message\nevent now 0x104 100 Area1.Boiler.M106 tick\n"
                          "wait 100\nloop\n"));
  ComPtr<IOPCEventServer> srv;
  ASSERT_EQ(S_OK, Connect(srv));
  ComPtr<IUnknown> unk;
  DWORD rb = 0, rm = 0;
  ASSERT_EQ(S_OK, srv->CreateEventSubscription(TRUE, 0, 0, 1, IID_IOPCEventSubscriptionMgt, &unk, &rb, &rm));
  ComPtr<IConnectionPointContainer> container;
  ASSERT_EQ(S_OK, unk.As(&container));
  ComPtr<IConnectionPoint> other;
  EXPECT_EQ(CONNECT_E_NOCONNECTION, container->FindConnectionPoint(IID_IUnknown, &other));
  ComPtr<IConnectionPoint> point;
  ASSERT_EQ(S_OK, container->FindConnectionPoint(IID_IOPCEventSink, &point));
  IID iid = {};
  EXPECT_EQ(S_OK, point->GetConnectionInterface(&iid));
  EXPECT_TRUE(IsEqualIID(IID_IOPCEventSink, iid));
  ComPtr<IConnectionPointContainer> back;
  ASSERT_EQ(S_OK, point->GetConnectionPointContainer(&back));
  ComPtr<IUnknown> id1, id2;
  container.As(&id1);
  back.As(&id2);
  EXPECT_EQ(id1.Get(), id2.Get()) << "the connection point leads back to its subscription";

  ComPtr<RecordingSink> first, second;
  first.Attach(new RecordingSink);
  second.Attach(new RecordingSink);
  DWORD cookie = 0, cookie2 = 0;
  ASSERT_EQ(S_OK, point->Advise(static_cast<IOPCEventSink*>(first.Get()), &cookie));
  EXPECT_NE(0u, cookie);
  EXPECT_EQ(CONNECT_E_ADVISELIMIT, point->Advise(static_cast<IOPCEventSink*>(second.Get()), &cookie2));
  EXPECT_TRUE(first->WaitRecords(2, 5000));
  EXPECT_EQ(CONNECT_E_NOCONNECTION, point->Unadvise(cookie + 1));
  EXPECT_EQ(S_OK, point->Unadvise(cookie));
  // A call already under way may still land; after that, nothing.
  Sleep(300);
  first->Clear();
  Sleep(600);
  EXPECT_EQ(0u, first->Calls().size()) << "an unadvised sink was called";
  std::printf("[ note ] sink references left in this process after Unadvise: %lu\n", first->Refs() - 1);
  EXPECT_EQ(CONNECT_E_NOCONNECTION, point->Unadvise(cookie)) << "a cookie is good for one Unadvise";

  // The place is free again for another sink.
  ASSERT_EQ(S_OK, point->Advise(static_cast<IOPCEventSink*>(second.Get()), &cookie2));
  EXPECT_TRUE(second->WaitRecords(1, 5000));
  EXPECT_EQ(S_OK, point->Unadvise(cookie2));
}

TEST_F(Subscriptions, InactiveSubscriptionGetsNothingUntilActivated) {
  ASSERT_TRUE(StartServer(R"(
category 1 0x104 Process message
wait 1500
event now 0x104 100 Area1.Boiler.M106 first
wait 1500
event now 0x104 100 Area1.Boiler.M106 second
)"));
  ComPtr<IOPCEventServer> srv;
  ASSERT_EQ(S_OK, Connect(srv));
  Subscription active, quiet;
  ASSERT_TRUE(active.Open(srv.Get(), 1));
  ASSERT_TRUE(quiet.Open(srv.Get(), 2, FALSE));
  ASSERT_TRUE(active.sink->WaitRecords(1, 8000));
  Sleep(300);
  EXPECT_EQ(0u, quiet.sink->Calls().size()) << "an inactive subscription was called";

  BOOL on = TRUE;
  DWORD rb = 0, rm = 0;
  ASSERT_EQ(S_OK, quiet.mgt->SetState(&on, nullptr, nullptr, 22, &rb, &rm));
  ASSERT_TRUE(quiet.sink->WaitRecords(1, 5000));
  ASSERT_TRUE(active.sink->WaitRecords(2, 2000));
  const std::vector<SinkCall> calls = quiet.sink->Calls();
  ASSERT_EQ(1u, calls.size());
  EXPECT_EQ(22u, calls[0].handle) << "calls carry the handle set by SetState";
  ASSERT_EQ(1u, calls[0].events.size());
  EXPECT_EQ(L"second", calls[0].events[0].message);
  for (const SinkCall& c : active.sink->Calls()) EXPECT_EQ(1u, c.handle);
}
