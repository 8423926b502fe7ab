// The size in pixels of a dialog template of the module, measured in the
// dialog units of the template's own font, as the dialog manager lays it out.
#pragma once
#include <windows.h>

bool DialogTemplateSize(UINT templateId, SIZE& pixels);
