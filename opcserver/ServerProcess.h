// The life of the serving process: every object a client holds keeps the
// process; when the last one goes, COM suspends our class object and the
// main thread is told to leave. Also the process's one plant.
#pragma once
#include <windows.h>

#include "opcserver/core/PlantHub.h"

namespace opcsrv {

void InitServerProcess(PlantHub* hub);
PlantHub& Hub();
void AddRefServerProcess();
void ReleaseServerProcess();
// Signalled once the last object of a client was released.
HANDLE ServerExitEvent();
// After the exit event: if an object was made since (or is being made), the
// event is reset and the server serves on.
void KeepServingIfInUse();
// Around the class object's making of an object (which a scenario may
// hold up or fail): the process counts as busy meanwhile.
void BeginActivation();
void EndActivation();
// True when no object lives and no client came for idleMs: a server COM
// started for a client whose connect failed has nobody left to serve.
bool IdleFor(DWORD idleMs);

// Apartment set-up of the server's own threads.
Delivery::Hooks MtaThreadHooks();

}  // namespace opcsrv
