#include "pages/SeverityPpg.h"

#include "pages/PropertyField.h"
#include "resources/resource.h"

namespace {

using Page = SeverityPpg;
constexpr PageField<Page> kFields[] = {
    NumberField<Page>(IDC_SEVERITY_A, u"SeverityA", &Page::m_nSeverityA),
    NumberField<Page>(IDC_SEVERITY_B, u"SeverityB", &Page::m_nSeverityB),
    NumberField<Page>(IDC_SEVERITY_C, u"SeverityC", &Page::m_nSeverityC),
    NumberField<Page>(IDC_SEVERITY_D, u"SeverityD", &Page::m_nSeverityD),
    NumberField<Page>(IDC_SEVERITY_E, u"SeverityE", &Page::m_nSeverityE),
};

}  // namespace

SeverityPpg::SeverityPpg() : COlePropertyPage(IDD_PROPPAGE_SEVERITY, IDS_SEVERITY_PPG) {}

void SeverityPpg::DoDataExchange(CDataExchange* pDX) { ExchangeFields(pDX, this, kFields); }
