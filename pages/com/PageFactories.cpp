// The four page factories of the module, each nested in the page it makes.
#include "resources/VelmaricAEIds.h"
#include "framework/win32/PropertyPageFactory.h"
#include "pages/ColumnsPpg.h"
#include "pages/HidePpg.h"
#include "pages/SeverityPpg.h"
#include "pages/VelmaricAEPropPage.h"
#include "resources/resource.h"

class CVelmaricAEPropPage::CVelmaricAEPropPageFactory : public COlePropertyPageFactory<CVelmaricAEPropPage> {
 public:
  CVelmaricAEPropPageFactory()
      : COlePropertyPageFactory(CLSID_VelmaricAEPropPage, L"VELMARICAE.VelmaricAEPropPage.1", IDS_VELMARICAE_PPG) {}
};

class ColumnsPpg::ColumnsPpgFactory : public COlePropertyPageFactory<ColumnsPpg> {
 public:
  ColumnsPpgFactory() : COlePropertyPageFactory(CLSID_ColumnsPpg, L"Velmaric AE.ColumnsPpg", IDS_COLUMNS_PPG) {}
};

class SeverityPpg::SeverityPpgFactory : public COlePropertyPageFactory<SeverityPpg> {
 public:
  SeverityPpgFactory() : COlePropertyPageFactory(CLSID_SeverityPpg, L"Velmaric AE.SeverityPpg", IDS_SEVERITY_PPG) {}
};

class HidePpg::HidePpgFactory : public COlePropertyPageFactory<HidePpg> {
 public:
  HidePpgFactory() : COlePropertyPageFactory(CLSID_HidePpg, L"Velmaric AE.HidePpg", IDS_HIDE_PPG) {}
};

namespace {
CVelmaricAEPropPage::CVelmaricAEPropPageFactory g_generalPageFactory;
ColumnsPpg::ColumnsPpgFactory g_columnsPageFactory;
SeverityPpg::SeverityPpgFactory g_severityPageFactory;
HidePpg::HidePpgFactory g_hidePageFactory;
}  // namespace
