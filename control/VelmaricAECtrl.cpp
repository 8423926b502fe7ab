#include "control/VelmaricAECtrl.h"

CVelmaricAECtrl::CVelmaricAECtrl(const ControlPlatform& platform) : m_platform(platform) {
  SetUiPort(m_platform.ui);
  m_pEventList = std::make_unique<EventList>();
  CreateFindDialog();
  m_dwWatchdogTick = m_platform.clock->GetTickCount();
  StartSession();
  // A control that no container initialises (a script's CreateObject) is
  // still a new control: every property at its default.
  ResetExchange px;
  DoPropExchange(px);
}

CVelmaricAECtrl::~CVelmaricAECtrl() {
  StopSession();
  m_pEventList.reset();
}
