// About: the file version of the control's own module, read from its version
// resource in the language and code page of its first translation entry.
#include <cstdio>

#include "control/VelmaricAECtrl.h"

namespace {

const char16_t kAboutCaption[] = u"Velmaric Alarms & Events ActiveX   ";
// Shown when the version cannot be read, rather than whatever the buffers held.
const char16_t kUnknownVersion[] = u"unknown";

// "\StringFileInfo\%04x%04x\%s"
String FileVersionPath(uint32_t translation) {
  char block[16];
  std::snprintf(block, sizeof block, "%04x%04x", static_cast<unsigned>(translation & 0xFFFF),
                static_cast<unsigned>(translation >> 16));
  return u"\\StringFileInfo\\" + String(block, block + 8) + u"\\FileVersion";
}

String ReadFileVersion(VersionPort* port) {
  if (!port) return kUnknownVersion;
  const String path = port->ModuleFileName();
  if (path.empty()) return kUnknownVersion;
  std::unique_ptr<VersionInfo> info = port->Read(path);
  uint32_t translation = 0;
  String version;
  if (!info || !info->QueryTranslation(translation) || !info->QueryString(FileVersionPath(translation), version))
    return kUnknownVersion;
  return version;
}

}  // namespace

void CVelmaricAECtrl::OnAbout() {
  const String text = u"Version: " + ReadFileVersion(m_platform.version) + u"\n";
  Ui().MessageBox(Window().NativeHandle(), text, kAboutCaption, kMbOk | kMbIconInformation);
}
