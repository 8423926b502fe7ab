// What a soak run watches in the viewer's process: memory, handles and GUI
// objects, printed as one line.
#pragma once

// "resources WHEN: t=Ns events=N pagefile=KB ... handles=N gdi=N user=N
// handles-listed=N gdi-wine=N" on stdout.
void PrintResourceReport(const wchar_t* when, unsigned long seconds, long events);
