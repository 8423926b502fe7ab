#include "pages/SeverityPpg.h"

#include "resources/resource.h"

namespace {

using Page = SeverityPpg;
const PageField<Page> kFields[] = {
    Int16Field<Page>(IDC_SEVERITY_A, u"SeverityA", &Page::m_nSeverityA, 1, 999),
    Int16Field<Page>(IDC_SEVERITY_B, u"SeverityB", &Page::m_nSeverityB, 1, 999),
    Int16Field<Page>(IDC_SEVERITY_C, u"SeverityC", &Page::m_nSeverityC, 1, 999),
    Int16Field<Page>(IDC_SEVERITY_D, u"SeverityD", &Page::m_nSeverityD, 1, 999),
    Int16Field<Page>(IDC_SEVERITY_E, u"SeverityE", &Page::m_nSeverityE, 1, 999),
};

}  // namespace

SeverityPpg::SeverityPpg() : COlePropertyPage(IDD_PROPPAGE_SEVERITY, IDS_SEVERITY_PPG) {}

void SeverityPpg::DoDataExchange(CDataExchange* pDX) { ExchangeFields(pDX, this, kFields); }
