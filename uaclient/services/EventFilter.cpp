// Field-order encoding of the event filter structures, and the alarm list's select clauses.
#include "uaclient/services/EventFilter.h"

#include <initializer_list>

#include "uaclient/services/ServiceCodec.h"

namespace ua {

namespace {

constexpr size_t kMinQualifiedNameSize = 6;
constexpr size_t kMinSimpleAttributeOperandSize = 14;  // two-byte NodeId, empty path, attribute, null range
constexpr size_t kMinContentFilterElementSize = 8;
constexpr size_t kMinContentFilterElementResultSize = 12;  // status + two empty arrays

// Every clause names BaseEventType and lets the browse path find the field. A server resolves a path under
// BaseEventType on whatever type the event really has, whereas AckedState and ActiveState are not children
// of ConditionType (they come in with AcknowledgeableConditionType and AlarmConditionType), so naming
// ConditionType there would be wrong, and one rule for every field is simpler to check.
SimpleAttributeOperand EventField(std::initializer_list<const char*> path) {
  SimpleAttributeOperand operand;
  operand.typeDefinitionId = NodeId::Numeric(0, ids::kBaseEventType);
  for (const char* name : path) operand.browsePath.push_back(QualifiedName{0, String(name)});
  operand.attributeId = ids::kAttributeValue;
  return operand;
}

}  // namespace

void SimpleAttributeOperand::Encode(Encoder& e) const {
  e.WriteNodeId(typeDefinitionId);
  e.WriteArray(browsePath, [&e](const QualifiedName& name) { e.WriteQualifiedName(name); });
  e.WriteUInt32(attributeId);
  e.WriteString(indexRange);
}

bool SimpleAttributeOperand::Decode(Decoder& d) {
  return d.ReadNodeId(typeDefinitionId) &&
         d.ReadArray(browsePath, kMinQualifiedNameSize,
                     [&d](QualifiedName& name) { return d.ReadQualifiedName(name); }) &&
         d.ReadUInt32(attributeId) && d.ReadString(indexRange);
}

void ContentFilterElement::Encode(Encoder& e) const {
  e.WriteInt32(filterOperator);
  WriteExtensionObjectArray(e, filterOperands);
}

bool ContentFilterElement::Decode(Decoder& d) {
  return d.ReadInt32(filterOperator) && ReadExtensionObjectArray(d, filterOperands);
}

void ContentFilter::Encode(Encoder& e) const { WriteStructArray(e, elements); }

bool ContentFilter::Decode(Decoder& d) { return ReadStructArray(d, elements, kMinContentFilterElementSize); }

void EventFilter::Encode(Encoder& e) const {
  WriteStructArray(e, selectClauses);
  whereClause.Encode(e);
}

bool EventFilter::Decode(Decoder& d) {
  return ReadStructArray(d, selectClauses, kMinSimpleAttributeOperandSize) && whereClause.Decode(d);
}

void ContentFilterElementResult::Encode(Encoder& e) const {
  e.WriteStatusCode(statusCode);
  WriteStatusCodeArray(e, operandStatusCodes);
  WriteDiagnosticInfoArray(e, operandDiagnosticInfos);
}

bool ContentFilterElementResult::Decode(Decoder& d) {
  return d.ReadStatusCode(statusCode) && ReadStatusCodeArray(d, operandStatusCodes) &&
         ReadDiagnosticInfoArray(d, operandDiagnosticInfos);
}

void ContentFilterResult::Encode(Encoder& e) const {
  WriteStructArray(e, elementResults);
  WriteDiagnosticInfoArray(e, elementDiagnosticInfos);
}

bool ContentFilterResult::Decode(Decoder& d) {
  return ReadStructArray(d, elementResults, kMinContentFilterElementResultSize) &&
         ReadDiagnosticInfoArray(d, elementDiagnosticInfos);
}

void EventFilterResult::Encode(Encoder& e) const {
  WriteStatusCodeArray(e, selectClauseResults);
  WriteDiagnosticInfoArray(e, selectClauseDiagnosticInfos);
  whereClauseResult.Encode(e);
}

bool EventFilterResult::Decode(Decoder& d) {
  return ReadStatusCodeArray(d, selectClauseResults) && ReadDiagnosticInfoArray(d, selectClauseDiagnosticInfos) &&
         whereClauseResult.Decode(d);
}

EventFilter MakeAlarmEventFilter() {
  EventFilter filter;
  // Same order as AlarmEventField.
  filter.selectClauses = {
      EventField({"EventId"}),
      EventField({"EventType"}),
      EventField({"SourceName"}),
      EventField({"Time"}),
      EventField({"Message"}),
      EventField({"Severity"}),
      EventField({"ConditionName"}),
      EventField({"AckedState", "Id"}),
      EventField({"ActiveState", "Id"}),
      EventField({"ActiveState", "TransitionTime"}),
      EventField({"Retain"}),
  };
  return filter;
}

}  // namespace ua
