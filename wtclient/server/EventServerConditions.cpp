// IOPCEventServer: what the server tells about conditions, and their
// acknowledgement by clients.
#include "wtclient/server/EventServer.h"

#include <algorithm>

#include "wtclient/server/Log.h"
#include "wtclient/server/Records.h"
#include "wtclient/server/ServerProcess.h"

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
  // The string arrays are zeroed before they are filled.
  FreeCoTaskStrings(s->pszSCNames, s->pszSCNames ? s->dwNumSCs : 0);
  FreeCoTaskStrings(s->pszSCDefinitions, s->pszSCDefinitions ? s->dwNumSCs : 0);
  CoTaskMemFree(s->pdwSCSeverities);
  FreeCoTaskStrings(s->pszSCDescriptions, s->pszSCDescriptions ? s->dwNumSCs : 0);
  CoTaskMemFree(s->pEventAttributes);
  CoTaskMemFree(s->pErrors);
  CoTaskMemFree(s);
}

}  // namespace

HRESULT EventServer::QueryConditionNames(DWORD dwEventCategory, DWORD* pdwCount, LPWSTR** ppszConditionNames) {
  if (!pdwCount || !ppszConditionNames) return E_INVALIDARG;
  *pdwCount = 0;
  *ppszConditionNames = nullptr;
  if (!Hub().Catalog().HasCategory(dwEventCategory)) return E_INVALIDARG;
  return ReturnNames(Hub().Catalog().ConditionNames(dwEventCategory), pdwCount, ppszConditionNames);
}

HRESULT EventServer::QuerySubConditionNames(LPWSTR szConditionName, DWORD* pdwCount,
                                            LPWSTR** ppszSubConditionNames) {
  if (!pdwCount || !ppszSubConditionNames) return E_INVALIDARG;
  *pdwCount = 0;
  *ppszSubConditionNames = nullptr;
  std::vector<String> names;
  if (!szConditionName || !Hub().Catalog().SubConditionNames(FromWide(szConditionName), names)) return E_INVALIDARG;
  return ReturnNames(names, pdwCount, ppszSubConditionNames);
}

HRESULT EventServer::QuerySourceConditions(LPWSTR szSource, DWORD* pdwCount, LPWSTR** ppszConditionNames) {
  if (!pdwCount || !ppszConditionNames) return E_INVALIDARG;
  *pdwCount = 0;
  *ppszConditionNames = nullptr;
  std::vector<String> names;
  if (!szSource || !Hub().Catalog().SourceConditions(FromWide(szSource), names)) return E_INVALIDARG;
  return ReturnNames(names, pdwCount, ppszConditionNames);
}

HRESULT EventServer::GetConditionState(LPWSTR szSource, LPWSTR szConditionName, DWORD dwNumEventAttrs,
                                       DWORD* pdwAttributeIDs, OPCCONDITIONSTATE** ppConditionState) {
  if (!ppConditionState) return E_INVALIDARG;
  *ppConditionState = nullptr;
  if (!szSource || !szConditionName || (dwNumEventAttrs && !pdwAttributeIDs)) return E_INVALIDARG;
  const String source = FromWide(szSource), condition = FromWide(szConditionName);
  PlantHub::ConditionView view;
  if (!Hub().Condition(source, condition, &view)) return E_INVALIDARG;
  const bool isActive = view.active;
  const wtsim::SimEvent& active = view.record;

  std::vector<String> subs;
  if (const wtsim::ConditionDef* d = Hub().Catalog().Find(source, condition)) subs = d->subconditions;
  if (isActive && std::find(subs.begin(), subs.end(), active.subcondition) == subs.end())
    subs.push_back(active.subcondition);

  auto* s = static_cast<OPCCONDITIONSTATE*>(CoTaskMemAlloc(sizeof(OPCCONDITIONSTATE)));
  if (!s) return E_OUTOFMEMORY;
  ZeroMemory(s, sizeof *s);
  // Inactive and not awaiting an acknowledgement: nothing to acknowledge.
  s->wState = isActive || view.awaitsAck ? active.newState
                                         : static_cast<WORD>(wtsim::kStateEnabled | wtsim::kStateAcked);
  s->wQuality = isActive || view.awaitsAck ? active.quality : wtsim::kQualityGood;
  s->szActiveSubCondition = CoTaskString(isActive ? Wide(active.subcondition) : std::wstring());
  s->szASCDefinition = CoTaskString(std::wstring());
  s->dwASCSeverity = isActive ? active.severity : 0;
  s->szASCDescription = CoTaskString(isActive ? Wide(active.message) : std::wstring());
  s->ftSubCondLastActive = ToFileTime(isActive || view.awaitsAck ? active.activeTime : 0);
  s->ftCondLastActive = ToFileTime(isActive || view.awaitsAck ? active.activeTime : 0);
  s->ftCondLastInactive = ToFileTime(view.awaitsAck ? active.time : 0);
  s->ftLastAckTime = ToFileTime(view.everAcked ? view.lastAck.time : 0);
  s->szAcknowledgerID = CoTaskString(view.everAcked ? Wide(view.lastAck.actor) : std::wstring());
  s->szComment = CoTaskString(view.everAcked ? Wide(view.lastAck.comment) : std::wstring());
  s->dwNumSCs = static_cast<DWORD>(subs.size());
  s->dwNumEventAttrs = dwNumEventAttrs;
  // Every array is allocated, even empty: the marshaller takes the array
  // pointers of this structure as never null.
  const size_t nSubs = subs.size() ? subs.size() : 1, nAttrs = dwNumEventAttrs ? dwNumEventAttrs : 1;
  s->pszSCNames = static_cast<LPWSTR*>(CoTaskMemAlloc(nSubs * sizeof(LPWSTR)));
  s->pszSCDefinitions = static_cast<LPWSTR*>(CoTaskMemAlloc(nSubs * sizeof(LPWSTR)));
  s->pszSCDescriptions = static_cast<LPWSTR*>(CoTaskMemAlloc(nSubs * sizeof(LPWSTR)));
  s->pdwSCSeverities = static_cast<DWORD*>(CoTaskMemAlloc(nSubs * sizeof(DWORD)));
  s->pEventAttributes = static_cast<VARIANT*>(CoTaskMemAlloc(nAttrs * sizeof(VARIANT)));
  s->pErrors = static_cast<HRESULT*>(CoTaskMemAlloc(nAttrs * sizeof(HRESULT)));
  bool ok = s->szActiveSubCondition && s->szASCDefinition && s->szASCDescription && s->szAcknowledgerID &&
            s->szComment && s->pszSCNames && s->pszSCDefinitions && s->pszSCDescriptions && s->pdwSCSeverities &&
            s->pEventAttributes && s->pErrors;
  if (ok) {
    ZeroMemory(s->pszSCNames, nSubs * sizeof(LPWSTR));
    ZeroMemory(s->pszSCDefinitions, nSubs * sizeof(LPWSTR));
    ZeroMemory(s->pszSCDescriptions, nSubs * sizeof(LPWSTR));
  }
  for (size_t i = 0; ok && i < subs.size(); ++i) {
    s->pszSCNames[i] = CoTaskString(Wide(subs[i]));
    s->pszSCDefinitions[i] = CoTaskString(std::wstring());
    s->pszSCDescriptions[i] = CoTaskString(std::wstring());
    ok = s->pszSCNames[i] && s->pszSCDefinitions[i] && s->pszSCDescriptions[i];
    s->pdwSCSeverities[i] = isActive && subs[i] == active.subcondition ? active.severity : 0;
  }
  // No attribute is known: each one comes back empty with an error.
  for (DWORD i = 0; ok && i < dwNumEventAttrs; ++i) {
    VariantInit(&s->pEventAttributes[i]);
    s->pErrors[i] = E_INVALIDARG;
  }
  if (!ok) {
    FreeConditionState(s);
    return E_OUTOFMEMORY;
  }
  *ppConditionState = s;
  return S_OK;
}

HRESULT EventServer::AckCondition(DWORD dwCount, LPWSTR szAcknowledgerID, LPWSTR szComment, LPWSTR* pszSource,
                                  LPWSTR* pszConditionName, FILETIME* pftActiveTime, DWORD* pdwCookie,
                                  HRESULT** ppErrors) {
  if (!ppErrors) return E_INVALIDARG;
  *ppErrors = nullptr;
  if (dwCount == 0 || !szAcknowledgerID || !*szAcknowledgerID || !pszSource || !pszConditionName ||
      !pftActiveTime || !pdwCookie)
    return E_INVALIDARG;
  std::vector<PlantHub::AckItem> items(dwCount);
  for (DWORD i = 0; i < dwCount; ++i) {
    items[i].source = FromWide(pszSource[i]);
    items[i].condition = FromWide(pszConditionName[i]);
    items[i].activeTime = FromFileTime(pftActiveTime[i]);
    items[i].cookie = pdwCookie[i];
  }
  auto* errors = static_cast<HRESULT*>(CoTaskMemAlloc(dwCount * sizeof(HRESULT)));
  if (!errors) return E_OUTOFMEMORY;
  const std::vector<AckVerdict> verdicts = Hub().Acknowledge(items, FromWide(szAcknowledgerID), FromWide(szComment));
  bool anyFailed = false;
  for (DWORD i = 0; i < dwCount; ++i) {
    // A null name cannot name a condition.
    errors[i] = (pszSource[i] && pszConditionName[i]) ? AckResult(verdicts[i]) : E_INVALIDARG;
    anyFailed |= FAILED(errors[i]);
  }
  Log("AckCondition by %ls (%ls): %lu conditions%s", szAcknowledgerID, szComment ? szComment : L"",
      static_cast<unsigned long>(dwCount), anyFailed ? ", some refused" : "");
  *ppErrors = errors;
  return anyFailed ? S_FALSE : S_OK;
}

}  // namespace opcsrv
