// The control as the intake's sink: rows into the store with the view
// following them, NewEvent to the container, and the repaint after a tick.
#include "control/VelmaricAECtrl.h"

void CVelmaricAECtrl::BeginRows() { m_rows = m_view.BeginScrollBatch(); }

void CVelmaricAECtrl::EndRows() {
  if (!m_rows) return;
  const EventListView::ScrollBatch batch = *m_rows;
  m_rows.reset();
  m_view.EndScrollBatch(batch);
}

void CVelmaricAECtrl::AddEventRow(const String& timestamp, const String& source, const String& message,
                                  const String& category, const String& severity) {
  m_store.AddEvent(timestamp, source, message, category, severity, m_bAddNewEventsToBottom);
  if (m_rows) {
    m_view.FollowNewRow(*m_rows);
    return;
  }
  EventListView::ScrollBatch one = m_view.BeginScrollBatch();
  m_view.FollowNewRow(one);
  m_view.EndScrollBatch(one);
}

void CVelmaricAECtrl::Announce(double date, const String& source, const String& message, const String& category,
                               int16_t severity) {
  FireNewEvent(date, source, message, category, severity);
}

void CVelmaricAECtrl::FireNewEvent(double date, const String& source, const String& message,
                                   const String& category, int16_t severity) {
  COleControl::FireEvent(1, {Value::Date(date), Value::Str(source), Value::Str(message), Value::Str(category),
                             Value::I2(severity)});
}

// The list is repainted after every tick, rows or none, except under a
// column drag, whose tracking line a repaint would leave behind.
void CVelmaricAECtrl::Drained() {
  if (!m_view.IsSizing()) Window().Invalidate(true);
}
