#include "pages/HidePpg.h"

#include "resources/resource.h"

namespace {

using Page = HidePpg;
const PageField<Page> kFields[] = {
    CheckField<Page>(IDC_HIDE_CLEAR_ALL, u"HideClearAllMenuItem", &Page::m_bHideClearAll),
    CheckField<Page>(IDC_HIDE_RESET, u"HideResetPropertiesMenuItem", &Page::m_bHideReset),
    CheckField<Page>(IDC_DISABLE_SIZING, u"DisableColumnSizing", &Page::m_bDisableSizing),
    CheckField<Page>(IDC_HIDE_CONNECTION, u"HideConnectionMenuItems", &Page::m_bHideConnection),
};

}  // namespace

HidePpg::HidePpg() : COlePropertyPage(IDD_PROPPAGE_HIDE, IDS_HIDE_PPG) {}

void HidePpg::DoDataExchange(CDataExchange* pDX) { ExchangeFields(pDX, this, kFields); }
