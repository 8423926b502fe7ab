// The stock Font property as a standard font object.
#pragma once
#include <windows.h>
#include <ocidl.h>
#include <olectl.h>

#include "framework/FontDesc.h"
#include "framework/win32/ComObject.h"

// A new font object for the description; null on failure.
IFont* CreateFontObject(const FontDesc& desc);
// Reads a font object's attributes; false when it is not a font.
bool DescribeFont(IUnknown* font, FontDesc& desc);

#include <functional>

// Listens to a font object's property notifications, so that a script's
// `ctrl.Font.Size = 12` reaches the control. Owned by one holder; its COM
// references only keep the object alive while the font holds it.
class FontChangeSink : public ComObject<IPropertyNotifySink> {
 public:
  explicit FontChangeSink(std::function<void()> onChanged) : m_onChanged(std::move(onChanged)) {}
  bool Connect(IFont* font);
  void Disconnect();

  STDMETHODIMP OnChanged(DISPID) override {
    if (m_onChanged) m_onChanged();
    return S_OK;
  }
  STDMETHODIMP OnRequestEdit(DISPID) override { return S_OK; }

  void Detach() { m_onChanged = nullptr; }

 private:
  std::function<void()> m_onChanged;
  IConnectionPoint* m_pPoint = nullptr;
  DWORD m_dwCookie = 0;
};
