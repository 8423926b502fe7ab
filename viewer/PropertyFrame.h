// The viewer's own property frame: a modal dialog with one tab per property
// page of an object (ISpecifyPropertyPages, in its order) that can be created
// on this machine, and OK, Cancel and Apply. Apply writes every page whose
// IsPageDirty is S_OK, in order, and stops at the first page that refuses;
// OK applies and closes only when every page applied.
#pragma once
#include <windows.h>
#include <unknwn.h>

#include <functional>
#include <string>

// Control ids in the frame, for tools and tests that drive it.
enum : int { kFrameTabId = 0x3020, kFrameApplyId = 0x3021 };

struct PropertyFrameOptions {
  int firstPage = 0;  // index among the tabs shown
  // Called once when the frame is shown and painted.
  std::function<void(HWND frame)> onShown;
};

// Shows the frame over `owner` (disabled meanwhile) and returns when it
// closes: S_OK after OK, S_FALSE after Cancel, E_NOINTERFACE when the object
// names no pages, E_FAIL when none of its pages can be created here.
HRESULT ShowPropertyFrame(HWND owner, const std::wstring& caption, IUnknown* object,
                          const PropertyFrameOptions& options = PropertyFrameOptions());

// Closes this thread's open frame as Cancel does; false if none is open.
bool CancelPropertyFrame();
