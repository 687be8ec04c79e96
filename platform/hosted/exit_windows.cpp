// ExitWindowsEx on the hosted machine: the machine restarts only once
// WinMain has returned (machine/restart.h), so the call notes the request.
#include "platform/hosted/machine/machine.h"
#include "platform/platform.h"

BOOL WINAPI ExitWindowsEx(UINT flags, DWORD) {
  if ((flags & EWX_REBOOT) != 0) platform::hosted::Machine::Current().RequestRestart();
  return TRUE;
}
