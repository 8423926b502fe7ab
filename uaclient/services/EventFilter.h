// EventFilter: which fields of each event the server sends, and the fixed field list the alarm list uses.
#pragma once

#include <cstdint>
#include <vector>

#include "uaclient/services/ServiceHeaders.h"

namespace ua {

struct SimpleAttributeOperand {
  NodeId typeDefinitionId;
  std::vector<QualifiedName> browsePath;
  uint32_t attributeId = ids::kAttributeValue;
  String indexRange;

  void Encode(Encoder& e) const;
  bool Decode(Decoder& d);
};

// One where-clause node. Operands are ExtensionObjects (element, literal, attribute or simple attribute
// operand); we never build a where clause, so they stay opaque.
struct ContentFilterElement {
  int32_t filterOperator = 0;
  std::vector<ExtensionObject> filterOperands;

  void Encode(Encoder& e) const;
  bool Decode(Decoder& d);
};

struct ContentFilter {
  std::vector<ContentFilterElement> elements;  // empty = every event passes

  void Encode(Encoder& e) const;
  bool Decode(Decoder& d);
};

struct EventFilter {
  static constexpr uint32_t kEncodingId = ids::kEventFilter;
  std::vector<SimpleAttributeOperand> selectClauses;
  ContentFilter whereClause;

  void Encode(Encoder& e) const;
  bool Decode(Decoder& d);
};

// Per-operand verdicts on one where-clause element.
struct ContentFilterElementResult {
  StatusCode statusCode;
  std::vector<StatusCode> operandStatusCodes;
  std::vector<DiagnosticInfo> operandDiagnosticInfos;

  void Encode(Encoder& e) const;
  bool Decode(Decoder& d);
};

struct ContentFilterResult {
  std::vector<ContentFilterElementResult> elementResults;
  std::vector<DiagnosticInfo> elementDiagnosticInfos;

  void Encode(Encoder& e) const;
  bool Decode(Decoder& d);
};

// What a server says about an EventFilter it accepted only in part (in MonitoredItemCreateResult's
// filterResult): selectClauseResults has one status per select clause, so a refused field can be logged
// instead of silently arriving as Null in every event.
struct EventFilterResult {
  static constexpr uint32_t kEncodingId = ids::kEventFilterResult;
  std::vector<StatusCode> selectClauseResults;
  std::vector<DiagnosticInfo> selectClauseDiagnosticInfos;
  ContentFilterResult whereClauseResult;

  void Encode(Encoder& e) const;
  bool Decode(Decoder& d);
};

// Positions of the fields in every event the alarm filter selects; EventFieldList.eventFields follows this
// order exactly.
enum AlarmEventField : size_t {
  kFieldEventId,
  kFieldEventType,
  kFieldSourceName,
  kFieldTime,
  kFieldMessage,
  kFieldSeverity,
  kFieldConditionName,
  kFieldAckedStateId,
  kFieldActiveStateId,
  kFieldActiveStateTransitionTime,
  kFieldRetain,
  kAlarmEventFieldCount,
};

// The select clauses for the fields above, with an empty where clause.
EventFilter MakeAlarmEventFilter();

}  // namespace ua
