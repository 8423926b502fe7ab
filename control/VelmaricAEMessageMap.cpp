// The control window's message map, with the update handlers of the context
// menu's commands. The commands themselves come back from the menu as its
// result, so they have no WM_COMMAND entries.
#include "control/VelmaricAECtrl.h"
#include "resources/resource.h"

namespace {
using C = CVelmaricAECtrl;

const MessageEntry kMessageEntries[] = {
    MsgCreate<&C::OnCreate>(),
    MsgDestroy<&C::OnDestroy>(),
    MsgTimer<&C::OnTimer>(),
    MsgHScroll<&C::OnHScroll>(),
    MsgVScroll<&C::OnVScroll>(),
    MsgSetCursor<&C::OnSetCursor>(),
    MsgLButtonDown<&C::OnLButtonDown>(),
    MsgContextMenu<&C::OnContextMenu>(),
    MsgInitMenu<&C::OnInitMenu>(),
    MsgInitMenuPopup<&C::OnInitMenuPopup>(),
    MsgUpdateCommandUI<ID_REFRESH_EVENTS, &C::OnUpdateRefreshEvents>(),
    MsgUpdateCommandUI<ID_CLEAR_ALL, &C::OnUpdateClearAll>(),
    MsgUpdateCommandUI<ID_CONNECT, &C::OnUpdateConnect>(),
    MsgUpdateCommandUI<ID_DISCONNECT, &C::OnUpdateDisconnect>(),
    MsgUpdateCommandUI<ID_SORT_ASCENDING, &C::OnUpdateSortAscending>(),
    MsgUpdateCommandUI<ID_SORT_DESCENDING, &C::OnUpdateSortDescending>(),
    MsgUpdateCommandUI<ID_FIND, &C::OnUpdateFind>(),
    MsgUpdateCommandUI<ID_REPEAT_FIND, &C::OnUpdateRepeatFind>(),
    MsgUpdateCommandUI<ID_ABOUT, &C::OnUpdateAbout>(),
    MsgUpdateCommandUI<ID_RESET_PROPERTIES, &C::OnUpdateResetProperties>(),
};

const MessageMap kMessageMap{kMessageEntries, sizeof kMessageEntries / sizeof kMessageEntries[0]};
}  // namespace

const MessageMap& CVelmaricAECtrl::GetMessageMap() const { return kMessageMap; }
