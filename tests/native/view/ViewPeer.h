// The view's insides for its tests, fuzz targets and benchmarks: the layout
// a paint measured, the scroll positions, the find state and the flags, so a
// test can put the view in a state and read what a command left. Production
// code reaches the view only through its methods.
#pragma once
#include <memory>

#include "view/EventListView.h"
#include "view/FindDlg.h"

struct EventListViewTestPeer {
  explicit EventListViewTestPeer(EventListView& v)
      : m_nCharWidth(v.m_nCharWidth),
        m_nRowHeight(v.m_nRowHeight),
        m_rcBounds(v.m_rcBounds),
        m_nHScrollPos(v.m_nHScrollPos),
        m_nFirstRow(v.m_nFirstRow),
        m_nFindRow(v.m_nFindRow),
        m_nFindColumn(v.m_nFindColumn),
        m_bBusy(v.m_bBusy),
        m_bSizing(v.m_bSizing),
        m_dlgFind(*v.m_dlgFind) {}
  int32_t& m_nCharWidth;
  int32_t& m_nRowHeight;
  Rect& m_rcBounds;
  int32_t& m_nHScrollPos;
  int32_t& m_nFirstRow;
  int32_t& m_nFindRow;
  int32_t& m_nFindColumn;
  bool& m_bBusy;
  bool& m_bSizing;
  CFindDlg& m_dlgFind;
};

inline EventListViewTestPeer Inside(EventListView& v) { return EventListViewTestPeer(v); }
