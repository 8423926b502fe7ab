#include "pages/VelmaricAEPropPage.h"

#include "pages/PropertyField.h"
#include "resources/resource.h"

namespace {

using Page = CVelmaricAEPropPage;
// Exchange order.
constexpr PageField<Page> kFields[] = {
    NumberField<Page>(IDC_WATCHDOG_TIMEOUT, u"WatchdogTimeout", &Page::m_nWatchdogTimeout),
    CheckField<Page>(IDC_ADD_NEW_EVENTS_TO_BOTTOM, u"AddNewEventsToBottom", &Page::m_bAddNewEventsToBottom),
    CheckField<Page>(IDC_LOCALIZE_TIMESTAMPS, u"LocalizeTimestamps", &Page::m_bLocalizeTimestamps),
    CheckField<Page>(IDC_SUPPRESS_ACKN_EVENTS, u"SuppressAcknEvents", &Page::m_bSuppressAcknEvents),
    CheckField<Page>(IDC_SUPPRESS_RESET_EVENTS, u"SuppressResetEvents", &Page::m_bSuppressResetEvents),
};

}  // namespace

CVelmaricAEPropPage::CVelmaricAEPropPage() : COlePropertyPage(IDD_PROPPAGE_VELMARICAE, IDS_VELMARICAE_PPG_CAPTION) {}

void CVelmaricAEPropPage::DoDataExchange(CDataExchange* pDX) { ExchangeFields(pDX, this, kFields); }
