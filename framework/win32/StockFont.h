// The stock Font property as a standard font object.
#pragma once
#include <windows.h>
#include <ocidl.h>
#include <olectl.h>

#include "framework/FontDesc.h"

// A new font object for the description; null on failure.
IFont* CreateFontObject(const FontDesc& desc);
// Reads a font object's attributes; false when it is not a font.
bool DescribeFont(IUnknown* font, FontDesc& desc);
