#include "control/com/VelmaricAEClass.h"

#include <olectl.h>

#include "control/VelmaricAECtrl.h"
#include "resources/VelmaricAEIds.h"
#include "resources/resource.h"

namespace {

constexpr DWORD kMiscStatus = OLEMISC_SETCLIENTSITEFIRST | OLEMISC_SIMPLEFRAME | OLEMISC_ACTIVATEWHENVISIBLE |
                              OLEMISC_INSIDEOUT | OLEMISC_CANTLINKINSIDE | OLEMISC_RECOMPOSEONRESIZE;
static_assert(kMiscStatus == 0x30191, "status flags");

const CLSID kPropPages[] = {CLSID_VelmaricAEPropPage, CLSID_StockFontPage, CLSID_StockColorPage,
                            CLSID_SeverityPpg,        CLSID_ColumnsPpg,    CLSID_HidePpg};

}  // namespace

// Constant-initialised (every member is a constant expression), so the
// module's static factory may read it during its own construction.
extern const ControlClassInfo kVelmaricAEClass = {
    CLSID_VelmaricAE,
    kProgIdVelmaricAE,
    DIID__DVelmaricAE,
    DIID__DVelmaricAEEvents,
    LIBID_VelmaricAELib,
    1,
    0,
    kMiscStatus,
    IDS_VELMARICAE,
    IDB_VELMARICAE,
    L"Apartment",
    kPropPages,
    sizeof kPropPages / sizeof kPropPages[0],
    []() -> COleControl* { return new CVelmaricAECtrl(); },
};
