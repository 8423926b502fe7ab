// The control window's message map.
#include "control/VelmaricAECtrl.h"

namespace {
using C = CVelmaricAECtrl;

const MessageEntry kMessageEntries[] = {
    MsgCreate<&C::OnCreate>(),
    MsgDestroy<&C::OnDestroy>(),
    MsgTimer<&C::OnTimer>(),
    MsgHScroll<&C::OnHScroll>(),
    MsgVScroll<&C::OnVScroll>(),
};

const MessageMap kMessageMap{kMessageEntries, sizeof kMessageEntries / sizeof kMessageEntries[0]};
}  // namespace

const MessageMap& CVelmaricAECtrl::GetMessageMap() const { return kMessageMap; }
