// IPropertyPage2 over a COlePropertyPage: the page's dialog as a child of the
// frame's window, its objects' IDispatch interfaces, and the frame's site.
#pragma once
#include <windows.h>
#include <ocidl.h>

#include <memory>

#include "framework/PropertyPage.h"

HRESULT CreatePropertyPageObject(std::unique_ptr<COlePropertyPage> page, REFIID riid, void** ppv);
