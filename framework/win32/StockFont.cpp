#include "framework/win32/StockFont.h"

#include "framework/win32/WinString.h"

IFont* CreateFontObject(const FontDesc& desc) {
  FONTDESC fd = {};
  fd.cbSizeofstruct = sizeof fd;
  String name = desc.name;
  fd.lpstrName = const_cast<LPOLESTR>(W(name));
  fd.cySize.int64 = desc.size;
  fd.sWeight = desc.weight;
  fd.sCharset = desc.charset;
  fd.fItalic = desc.italic;
  fd.fUnderline = desc.underline;
  fd.fStrikethrough = desc.strikethrough;
  IFont* font = nullptr;
  if (FAILED(OleCreateFontIndirect(&fd, IID_IFont, reinterpret_cast<void**>(&font)))) return nullptr;
  return font;
}

bool DescribeFont(IUnknown* unk, FontDesc& desc) {
  if (!unk) return false;
  IFont* font = nullptr;
  if (FAILED(unk->QueryInterface(IID_IFont, reinterpret_cast<void**>(&font))) || !font) return false;
  BSTR name = nullptr;
  CY size = {};
  SHORT weight = 400, charset = 0;
  BOOL italic = FALSE, underline = FALSE, strike = FALSE;
  bool ok = SUCCEEDED(font->get_Name(&name)) && SUCCEEDED(font->get_Size(&size));
  font->get_Weight(&weight);
  font->get_Charset(&charset);
  font->get_Italic(&italic);
  font->get_Underline(&underline);
  font->get_Strikethrough(&strike);
  if (ok) {
    desc.name = FromBstr(name);
    desc.size = size.int64;
    desc.weight = weight;
    desc.charset = charset;
    desc.italic = italic;
    desc.underline = underline;
    desc.strikethrough = strike;
  }
  SysFreeString(name);
  font->Release();
  return ok;
}

bool FontChangeSink::Connect(IFont* font) {
  Disconnect();
  IConnectionPointContainer* cpc = nullptr;
  if (FAILED(font->QueryInterface(IID_IConnectionPointContainer, reinterpret_cast<void**>(&cpc)))) return false;
  HRESULT hr = cpc->FindConnectionPoint(IID_IPropertyNotifySink, &m_pPoint);
  cpc->Release();
  if (FAILED(hr)) return false;
  if (FAILED(m_pPoint->Advise(this, &m_dwCookie))) {
    m_pPoint->Release();
    m_pPoint = nullptr;
    return false;
  }
  return true;
}

void FontChangeSink::Disconnect() {
  if (!m_pPoint) return;
  m_pPoint->Unadvise(m_dwCookie);
  m_pPoint->Release();
  m_pPoint = nullptr;
}
