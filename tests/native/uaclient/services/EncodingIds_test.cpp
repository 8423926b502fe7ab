// The encoding ids each message writes in front of its body.
#include <set>

#include <gtest/gtest.h>

#include "tests/native/uaclient/services/ServiceTestUtil.h"
#include "uaclient/services/BrowseService.h"
#include "uaclient/services/CallService.h"
#include "uaclient/services/GetEndpointsService.h"
#include "uaclient/services/MonitoredItemServices.h"
#include "uaclient/services/PublishService.h"
#include "uaclient/services/SessionServices.h"
#include "uaclient/services/SubscriptionServices.h"

using namespace ua;
using namespace ua_svc_test;

TEST(UaEncodingIds, WellKnownValues) {
  EXPECT_EQ(OpenSecureChannelRequest::kEncodingId, 446u);
  EXPECT_EQ(OpenSecureChannelResponse::kEncodingId, 449u);
  EXPECT_EQ(CreateSessionRequest::kEncodingId, 461u);
  EXPECT_EQ(ActivateSessionRequest::kEncodingId, 467u);
  EXPECT_EQ(PublishRequest::kEncodingId, 826u);
  EXPECT_EQ(ServiceFault::kEncodingId, 397u);
  EXPECT_EQ(EventFilter::kEncodingId, 727u);
  EXPECT_EQ(EventNotificationList::kEncodingId, 916u);
  EXPECT_EQ(AnonymousIdentityToken::kEncodingId, 321u);
}

// Every service's response encoding node follows its request's by three (DataType, Xml, Binary nodes of the
// request come first), so a typo in one half of a pair shows up here.
TEST(UaEncodingIds, ResponsesFollowRequestsByThree) {
  const std::pair<uint32_t, uint32_t> pairs[] = {
      {OpenSecureChannelRequest::kEncodingId, OpenSecureChannelResponse::kEncodingId},
      {ids::kCloseSecureChannelRequest, ids::kCloseSecureChannelResponse},
      {GetEndpointsRequest::kEncodingId, GetEndpointsResponse::kEncodingId},
      {CreateSessionRequest::kEncodingId, CreateSessionResponse::kEncodingId},
      {ActivateSessionRequest::kEncodingId, ActivateSessionResponse::kEncodingId},
      {CloseSessionRequest::kEncodingId, CloseSessionResponse::kEncodingId},
      {CreateSubscriptionRequest::kEncodingId, CreateSubscriptionResponse::kEncodingId},
      {CreateMonitoredItemsRequest::kEncodingId, CreateMonitoredItemsResponse::kEncodingId},
      {BrowseRequest::kEncodingId, BrowseResponse::kEncodingId},
      {BrowseNextRequest::kEncodingId, BrowseNextResponse::kEncodingId},
      {PublishRequest::kEncodingId, PublishResponse::kEncodingId},
      {CallRequest::kEncodingId, CallResponse::kEncodingId},
      {DeleteSubscriptionsRequest::kEncodingId, DeleteSubscriptionsResponse::kEncodingId},
  };
  std::set<uint32_t> seen;
  for (const auto& p : pairs) {
    EXPECT_EQ(p.second, p.first + 3) << p.first;
    EXPECT_TRUE(seen.insert(p.first).second) << p.first;
  }
}

TEST(UaEncodingIds, MessageStartsWithFourByteNodeIdOfItsType) {
  CloseSessionRequest close;
  const Bytes closeBytes = EncodeOrFail(close);
  ASSERT_GE(closeBytes.size(), 4u);
  EXPECT_EQ(Bytes(closeBytes.begin(), closeBytes.begin() + 4), (Bytes{0x01, 0x00, 0xD9, 0x01}));  // 473

  PublishRequest publish;
  const Bytes publishBytes = EncodeOrFail(publish);
  ASSERT_GE(publishBytes.size(), 4u);
  EXPECT_EQ(Bytes(publishBytes.begin(), publishBytes.begin() + 4), (Bytes{0x01, 0x00, 0x3A, 0x03}));  // 826
}
