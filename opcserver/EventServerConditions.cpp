// IOPCEventServer: what the server tells about conditions, and their
// acknowledgement by clients.
#include "opcserver/EventServer.h"

#include <algorithm>
#include <memory>

#include "opcserver/ComCall.h"
#include "opcserver/Log.h"
#include "opcserver/Records.h"
#include "opcserver/ServerProcess.h"
#include "opcserver/core/RequestLimits.h"

namespace opcsrv {
namespace {

HRESULT ReturnNames(const std::vector<String>& names, DWORD* count, LPWSTR** out) {
  if (!CoTaskStrings(names, out)) return E_OUTOFMEMORY;
  *count = static_cast<DWORD>(names.size());
  return S_OK;
}

HRESULT AckResult(AckVerdict v) {
  switch (v) {
    case AckVerdict::Accepted: return S_OK;
    case AckVerdict::AlreadyAcked: return OPC_S_ALREADYACKED;
    case AckVerdict::WrongActiveTime: return OPC_E_INVALIDTIME;
    default: return E_INVALIDARG;
  }
}

void FreeConditionState(OPCCONDITIONSTATE* s) {
  if (!s) return;
  CoTaskMemFree(s->szActiveSubCondition);
  CoTaskMemFree(s->szASCDefinition);
  CoTaskMemFree(s->szASCDescription);
  CoTaskMemFree(s->szAcknowledgerID);
  CoTaskMemFree(s->szComment);
  // Every array is zeroed as it is allocated, with room for dwNumSCs.
  FreeCoTaskStrings(s->pszSCNames, s->pszSCNames ? s->dwNumSCs : 0);
  FreeCoTaskStrings(s->pszSCDefinitions, s->pszSCDefinitions ? s->dwNumSCs : 0);
  CoTaskMemFree(s->pdwSCSeverities);
  FreeCoTaskStrings(s->pszSCDescriptions, s->pszSCDescriptions ? s->dwNumSCs : 0);
  CoTaskMemFree(s->pEventAttributes);
  CoTaskMemFree(s->pErrors);
  CoTaskMemFree(s);
}

}  // namespace

HRESULT EventServer::QueryConditionNames(DWORD dwEventCategory, DWORD* pdwCount, LPWSTR** ppszConditionNames) try {
  if (!pdwCount || !ppszConditionNames) return E_INVALIDARG;
  *pdwCount = 0;
  *ppszConditionNames = nullptr;
  if (!Hub().Catalog().HasCategory(dwEventCategory)) return E_INVALIDARG;
  return ReturnNames(Hub().Catalog().ConditionNames(dwEventCategory), pdwCount, ppszConditionNames);
} catch (...) {
  return CaughtResult("QueryConditionNames");
}

HRESULT EventServer::QuerySubConditionNames(LPWSTR szConditionName, DWORD* pdwCount,
                                            LPWSTR** ppszSubConditionNames) try {
  if (!pdwCount || !ppszSubConditionNames) return E_INVALIDARG;
  *pdwCount = 0;
  *ppszSubConditionNames = nullptr;
  std::vector<String> names;
  if (!szConditionName || !Hub().Catalog().SubConditionNames(FromWide(szConditionName), names)) return E_INVALIDARG;
  return ReturnNames(names, pdwCount, ppszSubConditionNames);
} catch (...) {
  return CaughtResult("QuerySubConditionNames");
}

HRESULT EventServer::QuerySourceConditions(LPWSTR szSource, DWORD* pdwCount, LPWSTR** ppszConditionNames) try {
  if (!pdwCount || !ppszConditionNames) return E_INVALIDARG;
  *pdwCount = 0;
  *ppszConditionNames = nullptr;
  std::vector<String> names;
  if (!szSource || !Hub().Catalog().SourceConditions(FromWide(szSource), names)) return E_INVALIDARG;
  return ReturnNames(names, pdwCount, ppszConditionNames);
} catch (...) {
  return CaughtResult("QuerySourceConditions");
}

HRESULT EventServer::GetConditionState(LPWSTR szSource, LPWSTR szConditionName, DWORD dwNumEventAttrs,
                                       DWORD* pdwAttributeIDs, OPCCONDITIONSTATE** ppConditionState) try {
  if (!ppConditionState) return E_INVALIDARG;
  *ppConditionState = nullptr;
  if (!szSource || !szConditionName || (dwNumEventAttrs && !pdwAttributeIDs) ||
      !CountAllowed(ClientList::AttributeIds, dwNumEventAttrs))
    return E_INVALIDARG;
  const String source = FromWide(szSource), condition = FromWide(szConditionName);
  PlantHub::ConditionView view;
  if (!Hub().Condition(source, condition, &view)) return E_INVALIDARG;
  const bool isActive = view.active;
  const wtsim::SimEvent& active = view.record;

  std::vector<String> subs;
  if (const wtsim::ConditionDef* d = Hub().Catalog().Find(source, condition)) subs = d->subconditions;
  if (isActive && std::find(subs.begin(), subs.end(), active.subcondition) == subs.end())
    subs.push_back(active.subcondition);
  // Every text is made before anything is allocated for the caller: making
  // them may throw, and then there is nothing to free.
  const std::wstring activeSub = isActive ? Wide(active.subcondition) : std::wstring();
  const std::wstring ascDescription = isActive ? Wide(active.message) : std::wstring();
  const std::wstring acknowledger = view.everAcked ? Wide(view.lastAck.actor) : std::wstring();
  const std::wstring comment = view.everAcked ? Wide(view.lastAck.comment) : std::wstring();
  std::vector<std::wstring> subNames;
  for (const String& sub : subs) subNames.push_back(Wide(sub));

  auto* s = CoTaskArray<OPCCONDITIONSTATE>(1);
  if (!s) return E_OUTOFMEMORY;
  // Inactive and not awaiting an acknowledgement: nothing to acknowledge.
  s->wState = isActive || view.awaitsAck ? active.newState
                                         : static_cast<WORD>(wtsim::kStateEnabled | wtsim::kStateAcked);
  s->wQuality = isActive || view.awaitsAck ? active.quality : wtsim::kQualityGood;
  s->szActiveSubCondition = CoTaskString(activeSub);
  s->szASCDefinition = CoTaskString(std::wstring());
  s->dwASCSeverity = isActive ? active.severity : 0;
  s->szASCDescription = CoTaskString(ascDescription);
  s->ftSubCondLastActive = ToFileTime(isActive || view.awaitsAck ? active.activeTime : 0);
  s->ftCondLastActive = ToFileTime(isActive || view.awaitsAck ? active.activeTime : 0);
  s->ftCondLastInactive = ToFileTime(view.awaitsAck ? active.time : 0);
  s->ftLastAckTime = ToFileTime(view.everAcked ? view.lastAck.time : 0);
  s->szAcknowledgerID = CoTaskString(acknowledger);
  s->szComment = CoTaskString(comment);
  s->dwNumSCs = static_cast<DWORD>(subNames.size());
  s->dwNumEventAttrs = dwNumEventAttrs;
  // Every array is allocated, even empty (the marshaller takes the array
  // pointers of this structure as never null), and zeroed as it is
  // allocated: FreeConditionState may run after any failure below.
  s->pszSCNames = CoTaskArray<LPWSTR>(subNames.size());
  s->pszSCDefinitions = CoTaskArray<LPWSTR>(subNames.size());
  s->pszSCDescriptions = CoTaskArray<LPWSTR>(subNames.size());
  s->pdwSCSeverities = CoTaskArray<DWORD>(subNames.size());
  s->pEventAttributes = CoTaskArray<VARIANT>(dwNumEventAttrs);  // zeroed: VT_EMPTY
  s->pErrors = CoTaskArray<HRESULT>(dwNumEventAttrs);
  bool ok = s->szActiveSubCondition && s->szASCDefinition && s->szASCDescription && s->szAcknowledgerID &&
            s->szComment && s->pszSCNames && s->pszSCDefinitions && s->pszSCDescriptions && s->pdwSCSeverities &&
            s->pEventAttributes && s->pErrors;
  for (size_t i = 0; ok && i < subNames.size(); ++i) {
    s->pszSCNames[i] = CoTaskString(subNames[i]);
    s->pszSCDefinitions[i] = CoTaskString(std::wstring());
    s->pszSCDescriptions[i] = CoTaskString(std::wstring());
    ok = s->pszSCNames[i] && s->pszSCDefinitions[i] && s->pszSCDescriptions[i];
    s->pdwSCSeverities[i] = isActive && subs[i] == active.subcondition ? active.severity : 0;
  }
  if (!ok) {
    FreeConditionState(s);
    return E_OUTOFMEMORY;
  }
  // No attribute is known: each one comes back empty with an error.
  for (DWORD i = 0; i < dwNumEventAttrs; ++i) s->pErrors[i] = E_INVALIDARG;
  *ppConditionState = s;
  return S_OK;
} catch (...) {
  return CaughtResult("GetConditionState");
}

HRESULT EventServer::AckCondition(DWORD dwCount, LPWSTR szAcknowledgerID, LPWSTR szComment, LPWSTR* pszSource,
                                  LPWSTR* pszConditionName, FILETIME* pftActiveTime, DWORD* pdwCookie,
                                  HRESULT** ppErrors) try {
  if (!ppErrors) return E_INVALIDARG;
  *ppErrors = nullptr;
  if (dwCount == 0 || !CountAllowed(ClientList::AckedConditions, dwCount) || !szAcknowledgerID ||
      !*szAcknowledgerID || !pszSource || !pszConditionName || !pftActiveTime || !pdwCookie)
    return E_INVALIDARG;
  std::vector<PlantHub::AckItem> items(dwCount);
  for (DWORD i = 0; i < dwCount; ++i) {
    items[i].source = FromWide(pszSource[i]);
    items[i].condition = FromWide(pszConditionName[i]);
    items[i].activeTime = FromFileTime(pftActiveTime[i]);
    items[i].cookie = pdwCookie[i];
  }
  // Allocated before any condition changes, so that an acknowledgement
  // that was made is always reported; freed if the plant throws.
  std::unique_ptr<HRESULT, CoTaskFree> errors(CoTaskArray<HRESULT>(dwCount));
  if (!errors) return E_OUTOFMEMORY;
  const std::vector<AckVerdict> verdicts = Hub().Acknowledge(items, FromWide(szAcknowledgerID), FromWide(szComment));
  bool anyFailed = false;
  for (DWORD i = 0; i < dwCount; ++i) {
    // A null name cannot name a condition.
    errors.get()[i] = (pszSource[i] && pszConditionName[i]) ? AckResult(verdicts[i]) : E_INVALIDARG;
    anyFailed |= FAILED(errors.get()[i]);
  }
  Log("AckCondition by %ls (%ls): %lu conditions%s", szAcknowledgerID, szComment ? szComment : L"",
      static_cast<unsigned long>(dwCount), anyFailed ? ", some refused" : "");
  *ppErrors = errors.release();
  return anyFailed ? S_FALSE : S_OK;
} catch (...) {
  return CaughtResult("AckCondition");
}

}  // namespace opcsrv
