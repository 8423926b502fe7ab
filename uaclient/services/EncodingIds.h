// Numeric ids (namespace 0) of the nodes the service layer names on the wire or in requests.
#pragma once

#include <cstdint>

namespace ua {
namespace ids {

// "DefaultBinary" encoding nodes: the type id written in front of every message body or ExtensionObject.
constexpr uint32_t kServiceFault = 397;
constexpr uint32_t kOpenSecureChannelRequest = 446;
constexpr uint32_t kOpenSecureChannelResponse = 449;
constexpr uint32_t kCloseSecureChannelRequest = 452;
constexpr uint32_t kCloseSecureChannelResponse = 455;
constexpr uint32_t kGetEndpointsRequest = 428;
constexpr uint32_t kGetEndpointsResponse = 431;
constexpr uint32_t kCreateSessionRequest = 461;
constexpr uint32_t kCreateSessionResponse = 464;
constexpr uint32_t kActivateSessionRequest = 467;
constexpr uint32_t kActivateSessionResponse = 470;
constexpr uint32_t kCloseSessionRequest = 473;
constexpr uint32_t kCloseSessionResponse = 476;
constexpr uint32_t kBrowseRequest = 527;
constexpr uint32_t kBrowseResponse = 530;
constexpr uint32_t kBrowseNextRequest = 533;
constexpr uint32_t kBrowseNextResponse = 536;
constexpr uint32_t kCallRequest = 712;
constexpr uint32_t kCallResponse = 715;
constexpr uint32_t kCreateMonitoredItemsRequest = 751;
constexpr uint32_t kCreateMonitoredItemsResponse = 754;
constexpr uint32_t kCreateSubscriptionRequest = 787;
constexpr uint32_t kCreateSubscriptionResponse = 790;
constexpr uint32_t kPublishRequest = 826;
constexpr uint32_t kPublishResponse = 829;
constexpr uint32_t kDeleteSubscriptionsRequest = 847;
constexpr uint32_t kDeleteSubscriptionsResponse = 850;
constexpr uint32_t kAnonymousIdentityToken = 321;
constexpr uint32_t kEventFilter = 727;
constexpr uint32_t kEventFilterResult = 736;
constexpr uint32_t kDataChangeNotification = 811;
constexpr uint32_t kStatusChangeNotification = 820;
constexpr uint32_t kEventNotificationList = 916;

// Nodes of the standard address space.
constexpr uint32_t kServerObject = 2253;
constexpr uint32_t kBaseEventType = 2041;
constexpr uint32_t kConditionType = 2782;
constexpr uint32_t kConditionRefreshMethod = 3875;

constexpr uint32_t kHasSubtype = 45;

// Attribute ids.
constexpr uint32_t kAttributeValue = 13;
constexpr uint32_t kAttributeEventNotifier = 12;

}  // namespace ids
}  // namespace ua
