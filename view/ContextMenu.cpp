// The context menu: built afresh for every request from the hide properties
// and the column under the pointer, tracked with the chosen id returned, and
// the chosen command carried out before the menu is destroyed.
#include "view/EventListView.h"
#include "resources/resource.h"
#include "view/ListCoordinates.h"

int32_t EventListView::ColumnAt(int32_t listX) const {
  const EventList& store = m_store;
  for (int32_t f = 0; f < kFieldCount; ++f)
    if (store.m_rcField[f].left < listX && listX < store.m_rcField[f].right) return f;
  return -1;
}

void EventListView::OnContextMenu(uintptr_t window, Point screen) {
  CMenu menu(Ui());
  if (!menu.CreatePopupMenu()) return;
  if (!m_settings.m_bHideClearAllMenuItem) menu.AppendMenu(kMfString, ID_CLEAR_ALL, u"Clear All");
  menu.AppendMenu(kMfString, ID_REFRESH_EVENTS, u"Refresh events");

  // The pointer's y plays no part: header, rows and the space below count.
  Point client = Window().ScreenToClient(screen);
  // Scrolled far into a wide list, the list x can lie past the 32-bit range:
  // then it is past every column.
  const int32_t field = ColumnAt(velmaric_view::Clamp32(int64_t{client.x} + m_nHScrollPos));
  if (field >= 0) {
    const String name = kFieldLabels[field];
    menu.AppendMenu(kMfSeparator);
    menu.AppendMenu(kMfString, ID_SORT_ASCENDING, u"Sort by " + name + u" (Ascending)");
    menu.AppendMenu(kMfString, ID_SORT_DESCENDING, u"Sort by " + name + u" (Descending)");
  }
  menu.AppendMenu(kMfSeparator);
  menu.AppendMenu(kMfString, ID_FIND, u"Find...");
  menu.AppendMenu(kMfString, ID_REPEAT_FIND, u"Repeat last find");
  if (!m_settings.m_bHideConnectionMenuItems) {
    menu.AppendMenu(kMfSeparator);
    menu.AppendMenu(kMfString, ID_CONNECT, u"Connect to AE server");
    menu.AppendMenu(kMfString, ID_DISCONNECT, u"Disconnect from AE server");
  }
  menu.AppendMenu(kMfSeparator);
  if (!m_settings.m_bHideResetPropertiesMenuItem) menu.AppendMenu(kMfString, ID_RESET_PROPERTIES, u"Reset all properties to default");
  menu.AppendMenu(kMfString, ID_ABOUT, u"About");

  const Point at = Window().ClientToScreen(client);
  const uint32_t id =
      menu.TrackPopupMenu(kTpmLeftAlign | kTpmRightButton | kTpmReturnCmd, at.x, at.y, window);
  RunCommand(id, field);
  menu.DestroyMenu();
}

void EventListView::RunCommand(uint32_t id, int32_t field) {
  switch (id) {
    case ID_CLEAR_ALL: ClearAll(); break;
    case ID_SORT_ASCENDING: SortRows(field, +1); break;
    case ID_SORT_DESCENDING: SortRows(field, -1); break;
    case ID_FIND: OnFind(); break;
    case ID_REPEAT_FIND: OnRepeatFind(); break;
    case 0: break;  // the menu was dismissed
    default:  // refresh, connection, About, reset: the control's
      if (m_onCommand) m_onCommand(id);
      break;
  }
}
