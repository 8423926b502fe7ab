#include "view/EventListView.h"

#include "view/FindDlg.h"

EventListView::EventListView(COleControl& control, VelmaricAESettings& settings, EventList& store,
                             RecursiveTimedMutex& storeLock)
    : m_control(control), m_settings(settings), m_store(store), m_storeLock(storeLock) {}

EventListView::~EventListView() = default;

void EventListView::OnWindowCreated() {
  m_bBusy = false;
  m_bSizing = false;
}

void EventListView::ResetFind() { m_dlgFind = std::make_unique<CFindDlg>(&Ui()); }
