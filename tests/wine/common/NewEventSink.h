// NewEvent as a container's sink: counts the calls and keeps each one's
// values (date, source, message, category, severity).
#pragma once
#include <windows.h>
#include <oleauto.h>

#include <functional>
#include <string>
#include <vector>

#include "tests/wine/common/EventsDispatch.h"
#include "tests/wine/common/LostNotice.h"

struct NewEventCall {
  VARTYPE types[5] = {};  // in the order of the arguments
  DATE date = 0;
  std::wstring source, message, category;
  SHORT severity = 0;
  DWORD tick = 0;
};

class NewEventSink : public EventsDispatch {
 public:
  STDMETHODIMP Invoke(DISPID id, REFIID, LCID, WORD, DISPPARAMS* p, VARIANT*, EXCEPINFO*, UINT*) override {
    if (id != 1 || !p || p->cArgs != 5 || V_VT(&p->rgvarg[4]) != VT_DATE || V_VT(&p->rgvarg[0]) != VT_I2) {
      ++unexpected;
      return S_OK;
    }
    ++count;
    uint64_t n = 0;
    if (LostNoticeCount(V_VT(&p->rgvarg[2]) == VT_BSTR ? V_BSTR(&p->rgvarg[2]) : nullptr, &n)) {
      ++lostNotices;
      lost += n;
    }
    if (keep) {
      NewEventCall c;
      for (int k = 0; k < 5; ++k) c.types[k] = V_VT(&p->rgvarg[4 - k]);  // arguments come last first
      c.date = V_DATE(&p->rgvarg[4]);
      c.source = V_BSTR(&p->rgvarg[3]) ? V_BSTR(&p->rgvarg[3]) : L"";
      c.message = V_BSTR(&p->rgvarg[2]) ? V_BSTR(&p->rgvarg[2]) : L"";
      c.category = V_BSTR(&p->rgvarg[1]) ? V_BSTR(&p->rgvarg[1]) : L"";
      c.severity = V_I2(&p->rgvarg[0]);
      c.tick = GetTickCount();
      calls.push_back(c);
    }
    if (onEvent) onEvent(count);
    return S_OK;
  }
  bool keep = true;
  size_t count = 0;
  // The server's notices of records it dropped for this client, and their sum.
  size_t lostNotices = 0;
  uint64_t lost = 0;
  int unexpected = 0;
  std::vector<NewEventCall> calls;
  std::function<void(size_t)> onEvent;
};

