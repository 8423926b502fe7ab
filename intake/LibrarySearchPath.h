// Where the AE client library is looked for: full paths only, so that a copy
// planted in the current directory (or reached through a relative PATH entry)
// is never loaded into the operator's screen.
#pragma once
#include <vector>

#include "framework/Types.h"

// The folders the library may come from, as the platform reports them.
struct LibraryFolders {
  String ocx;     // the control module's own folder
  String app;     // the application's folder
  String system;  // the system folder (System32)
  String path;    // the PATH variable, unexpanded
};

// True for "X:\...", "X:/..." and "\\server\share\..." (also "\\?\..."):
// paths that do not depend on the current drive or directory.
bool IsAbsoluteWindowsPath(const String& path);

// The full paths to try for `fileName`, in order: the control's folder, the
// application's folder, the system folder, then each PATH entry. Entries are
// trimmed of blanks and quotes and written with backslashes; empty and
// relative ones are dropped, and a folder already listed (compared without
// regard to ASCII case or a trailing separator) is not listed again.
std::vector<String> LibraryCandidates(const String& fileName, const LibraryFolders& folders);
