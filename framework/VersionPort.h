// The version functions: the control's own module file and the version
// resource of a file. win32: GetModuleFileNameW, GetFileVersionInfoSizeW,
// GetFileVersionInfoW and VerQueryValueW.
#pragma once
#include <memory>

#include "framework/Types.h"

class VersionInfo {
 public:
  virtual ~VersionInfo() = default;
  // The first entry of "\VarFileInfo\Translation": language in the low word,
  // code page in the high word.
  virtual bool QueryTranslation(uint32_t& first) = 0;
  // A string value such as "\StringFileInfo\040904b0\FileVersion".
  virtual bool QueryString(const String& subBlock, String& value) = 0;
};

class VersionPort {
 public:
  virtual ~VersionPort() = default;
  // Full path of the control's own module (not the host's); empty if unknown.
  virtual String ModuleFileName() = 0;
  // The version information block of a file; null when it has none.
  virtual std::unique_ptr<VersionInfo> Read(const String& path) = 0;
};
