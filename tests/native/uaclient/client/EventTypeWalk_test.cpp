// The walk of the event type tree against a scripted server: levels, continuation points, bounds, refusals.
#include <gtest/gtest.h>

#include <map>
#include <string>

#include "uaclient/AlarmText.h"
#include "uaclient/client/EventTypeWalk.h"

namespace {

using namespace ua;

ReferenceDescription Ref(const NodeId& id, const char* name) {
  ReferenceDescription r;
  r.referenceTypeId = NodeId::Numeric(0, 45);
  r.nodeId.nodeId = id;
  r.browseName = QualifiedName{id.namespaceIndex, std::string(name)};
  r.nodeClass = 8;
  return r;
}

// A server whose type tree is a map from parent to children, handing out `pageSize` references at a time.
struct ScriptedTypes {
  std::map<std::string, std::vector<ReferenceDescription>> children;
  size_t pageSize = 1000;
  std::vector<size_t> browseSizes;       // nodes per Browse request
  std::vector<std::string> pointsUsed;   // "next:<point>" or "release:<point>"
  std::map<std::string, std::vector<ReferenceDescription>> pending;  // continuation point -> rest
  int refuseAfter = -1;                  // Browse calls answered before refusing
  int pointsMade = 0;

  void Add(const NodeId& parent, const NodeId& child, const char* name) {
    children[NodeIdToText(parent)].push_back(Ref(child, name));
  }
  BrowseResult Page(std::vector<ReferenceDescription> refs) {
    BrowseResult result;
    if (refs.size() > pageSize) {
      const std::string point = "cp" + std::to_string(pointsMade++);
      pending[point].assign(refs.begin() + static_cast<std::ptrdiff_t>(pageSize), refs.end());
      refs.resize(pageSize);
      result.continuationPoint = std::vector<uint8_t>(point.begin(), point.end());
    }
    result.references = std::move(refs);
    return result;
  }
  BrowseCall Browse() {
    return [this](const std::vector<NodeId>& parents, std::vector<BrowseResult>& results) {
      if (refuseAfter >= 0 && static_cast<int>(browseSizes.size()) >= refuseAfter) return false;
      browseSizes.push_back(parents.size());
      for (const NodeId& p : parents) results.push_back(Page(children[NodeIdToText(p)]));
      return true;
    };
  }
  BrowseNextCall Next() {
    return [this](const std::vector<ByteString>& points, bool release, std::vector<BrowseResult>& results) {
      for (const ByteString& p : points) {
        const std::string key(p->begin(), p->end());
        pointsUsed.push_back((release ? "release:" : "next:") + key);
        auto rest = std::move(pending[key]);
        pending.erase(key);
        if (!release) results.push_back(Page(std::move(rest)));
      }
      return true;
    };
  }
};

const NodeId kBase = NodeId::Numeric(0, 2041);
const NodeId kCondition = NodeId::Numeric(0, 2782);
const NodeId kAlarm = NodeId::Numeric(0, 2915);
const NodeId kSystem = NodeId::Numeric(0, 2130);
const NodeId kVendorAlarm = NodeId::Numeric(2, 5001);
const NodeId kVendorEvent = NodeId::Text(2, "BatchEvent");

TEST(EventTypeWalk, LevelByLevelWithConditionTypesMarkedAndForeignOrRepeatedNodesSkipped) {
  ScriptedTypes server;
  server.Add(kBase, kSystem, "SystemEventType");
  server.Add(kBase, kCondition, "ConditionType");
  server.Add(kBase, kVendorEvent, "BatchEvent");
  server.Add(kCondition, kAlarm, "AlarmConditionType");
  server.Add(kAlarm, kVendorAlarm, "PumpFaultAlarmType");
  server.Add(kVendorAlarm, kAlarm, "AlarmConditionType");  // a loop in a broken server
  ReferenceDescription remote = Ref(NodeId::Numeric(0, 9999), "Elsewhere");
  remote.nodeId.serverIndex = 1;
  server.children[NodeIdToText(kSystem)].push_back(remote);

  const std::vector<EventTypeInfo> types = WalkEventTypes(server.Browse(), server.Next());
  ASSERT_EQ(types.size(), 5u);
  const std::vector<std::string> names = {types[0].name, types[1].name, types[2].name, types[3].name, types[4].name};
  EXPECT_EQ(names, (std::vector<std::string>{"SystemEventType", "ConditionType", "BatchEvent", "AlarmConditionType",
                                             "PumpFaultAlarmType"}));
  EXPECT_FALSE(types[0].condition);
  EXPECT_TRUE(types[1].condition);
  EXPECT_FALSE(types[2].condition);
  EXPECT_TRUE(types[3].condition);
  EXPECT_TRUE(types[4].condition) << "a vendor's alarm type below ConditionType";
  EXPECT_EQ(types[4].id, kVendorAlarm);
  // One Browse per level: base; its three children; the alarm; the vendor alarm (whose only child was seen).
  EXPECT_EQ(server.browseSizes, (std::vector<size_t>{1, 3, 1, 1}));
}

TEST(EventTypeWalk, ContinuationPointsAreFollowedAndReleasedWhenTheBoundIsReached) {
  ScriptedTypes server;
  server.pageSize = 2;
  for (uint32_t i = 0; i < 7; ++i) server.Add(kBase, NodeId::Numeric(3, 100 + i), "T");
  EXPECT_EQ(WalkEventTypes(server.Browse(), server.Next()).size(), 7u);
  EXPECT_EQ(server.pointsUsed, (std::vector<std::string>{"next:cp0", "next:cp1", "next:cp2"}));
  EXPECT_TRUE(server.pending.empty());

  ScriptedTypes bounded;
  bounded.pageSize = 2;
  for (uint32_t i = 0; i < 7; ++i) bounded.Add(kBase, NodeId::Numeric(3, 100 + i), "T");
  EventTypeWalkLimits limits;
  limits.maxTypes = 3;
  EXPECT_EQ(WalkEventTypes(bounded.Browse(), bounded.Next(), limits).size(), 3u);
  EXPECT_EQ(bounded.pointsUsed, (std::vector<std::string>{"next:cp0", "release:cp1"}));
  EXPECT_TRUE(bounded.pending.empty()) << "a continuation point left on the server";
}

TEST(EventTypeWalk, RefusalsDepthAndRequestSizeBoundTheWalk) {
  // A server that refuses the second Browse: the first level stays.
  ScriptedTypes refusing;
  refusing.refuseAfter = 1;
  refusing.Add(kBase, kCondition, "ConditionType");
  refusing.Add(kCondition, kAlarm, "AlarmConditionType");
  const std::vector<EventTypeInfo> partial = WalkEventTypes(refusing.Browse(), refusing.Next());
  ASSERT_EQ(partial.size(), 1u);
  EXPECT_EQ(partial[0].name, "ConditionType");

  // A chain deeper than the bound stops at it.
  ScriptedTypes deep;
  NodeId parent = kBase;
  for (uint32_t i = 0; i < 40; ++i) {
    const NodeId child = NodeId::Numeric(4, i);
    deep.Add(parent, child, "Level");
    parent = child;
  }
  EventTypeWalkLimits limits;
  limits.maxDepth = 5;
  EXPECT_EQ(WalkEventTypes(deep.Browse(), deep.Next(), limits).size(), 5u);

  // A wide level goes in requests of the given size.
  ScriptedTypes wide;
  for (uint32_t i = 0; i < 25; ++i) wide.Add(kBase, NodeId::Numeric(5, i), "W");
  for (uint32_t i = 0; i < 25; ++i) wide.Add(NodeId::Numeric(5, i), NodeId::Numeric(6, i), "X");
  limits = EventTypeWalkLimits();
  limits.nodesPerRequest = 10;
  EXPECT_EQ(WalkEventTypes(wide.Browse(), wide.Next(), limits).size(), 50u);
  EXPECT_EQ(wide.browseSizes, (std::vector<size_t>{1, 10, 10, 5, 10, 10, 5}));
}

}  // namespace
