// ExitWindowsEx on the hosted machine: the machine restarts only once
// WinMain has returned (machine/restart.h), so the call notes the request.
#include "platform/hosted/machine/restart.h"
#include "platform/platform.h"

namespace platform::hosted {
namespace {

bool gRestartRequested = false;

}  // namespace

bool RestartRequested() { return gRestartRequested; }

}  // namespace platform::hosted

BOOL WINAPI ExitWindowsEx(UINT flags, DWORD) {
  if ((flags & EWX_REBOOT) != 0) platform::hosted::gRestartRequested = true;
  return TRUE;
}
