// The OPC AE server object a client creates: IOPCEventServer over the
// process's one plant, and IOPCCommon. Methods are split over
// EventServer.cpp (status, subscriptions, categories, unsupported
// features), EventServerConditions.cpp and EventServerCommon.cpp.
#pragma once
#include "opc_ae.h"

#include <memory>
#include <mutex>
#include <string>

#include "opcserver/ClientSession.h"
#include "opcserver/ComRef.h"

namespace opcsrv {

class EventServer : public IOPCEventServer, public IOPCCommon, public SessionMember {
 public:
  static HRESULT Create(REFIID riid, void** out);

  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** out) override;
  ULONG STDMETHODCALLTYPE AddRef() override { return m_ref.Up(); }
  ULONG STDMETHODCALLTYPE Release() override;

  // IOPCEventServer
  HRESULT STDMETHODCALLTYPE GetStatus(OPCEVENTSERVERSTATUS** ppEventServerStatus) override;
  HRESULT STDMETHODCALLTYPE CreateEventSubscription(BOOL bActive, DWORD dwBufferTime, DWORD dwMaxSize,
                                                    OPCHANDLE hClientSubscription, REFIID riid, LPUNKNOWN* ppUnk,
                                                    DWORD* pdwRevisedBufferTime,
                                                    DWORD* pdwRevisedMaxSize) override;
  HRESULT STDMETHODCALLTYPE QueryAvailableFilters(DWORD* pdwFilterMask) override;
  HRESULT STDMETHODCALLTYPE QueryEventCategories(DWORD dwEventType, DWORD* pdwCount, DWORD** ppdwEventCategories,
                                                 LPWSTR** ppszEventCategoryDescs) override;
  HRESULT STDMETHODCALLTYPE QueryConditionNames(DWORD dwEventCategory, DWORD* pdwCount,
                                                LPWSTR** ppszConditionNames) override;
  HRESULT STDMETHODCALLTYPE QuerySubConditionNames(LPWSTR szConditionName, DWORD* pdwCount,
                                                   LPWSTR** ppszSubConditionNames) override;
  HRESULT STDMETHODCALLTYPE QuerySourceConditions(LPWSTR szSource, DWORD* pdwCount,
                                                  LPWSTR** ppszConditionNames) override;
  HRESULT STDMETHODCALLTYPE QueryEventAttributes(DWORD dwEventCategory, DWORD* pdwCount, DWORD** ppdwAttrIDs,
                                                 LPWSTR** ppszAttrDescs, VARTYPE** ppvtAttrTypes) override;
  HRESULT STDMETHODCALLTYPE TranslateToItemIDs(LPWSTR szSource, DWORD dwEventCategory, LPWSTR szConditionName,
                                               LPWSTR szSubconditionName, DWORD dwCount, DWORD* pdwAssocAttrIDs,
                                               LPWSTR** ppszAttrItemIDs, LPWSTR** ppszNodeNames,
                                               CLSID** ppCLSIDs) override;
  HRESULT STDMETHODCALLTYPE GetConditionState(LPWSTR szSource, LPWSTR szConditionName, DWORD dwNumEventAttrs,
                                              DWORD* pdwAttributeIDs,
                                              OPCCONDITIONSTATE** ppConditionState) override;
  HRESULT STDMETHODCALLTYPE EnableConditionByArea(DWORD dwNumAreas, LPWSTR* pszAreas) override;
  HRESULT STDMETHODCALLTYPE EnableConditionBySource(DWORD dwNumSources, LPWSTR* pszSources) override;
  HRESULT STDMETHODCALLTYPE DisableConditionByArea(DWORD dwNumAreas, LPWSTR* pszAreas) override;
  HRESULT STDMETHODCALLTYPE DisableConditionBySource(DWORD dwNumSources, LPWSTR* pszSources) override;
  HRESULT STDMETHODCALLTYPE AckCondition(DWORD dwCount, LPWSTR szAcknowledgerID, LPWSTR szComment,
                                         LPWSTR* pszSource, LPWSTR* pszConditionName, FILETIME* pftActiveTime,
                                         DWORD* pdwCookie, HRESULT** ppErrors) override;
  HRESULT STDMETHODCALLTYPE CreateAreaBrowser(REFIID riid, LPUNKNOWN* ppUnk) override;

  // IOPCCommon
  HRESULT STDMETHODCALLTYPE SetLocaleID(LCID dwLcid) override;
  HRESULT STDMETHODCALLTYPE GetLocaleID(LCID* pdwLcid) override;
  HRESULT STDMETHODCALLTYPE QueryAvailableLocaleIDs(DWORD* pdwCount, LCID** pdwLcid) override;
  HRESULT STDMETHODCALLTYPE GetErrorString(HRESULT dwError, LPWSTR* ppString) override;
  HRESULT STDMETHODCALLTYPE SetClientName(LPCWSTR szName) override;

  // SessionMember
  bool TryAddRef() override { return m_ref.TryUp(); }
  ULONG ReleaseRef() override { return Release(); }
  void DisconnectClient() override;

 private:
  EventServer();
  ~EventServer();

  ComRef m_ref;
  std::shared_ptr<ClientSession> m_session;
  std::mutex m_mutex;  // locale and client name
  LCID m_locale = LOCALE_SYSTEM_DEFAULT;
  std::wstring m_clientName;
};

}  // namespace opcsrv
