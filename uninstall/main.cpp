// The program's entry: one question before the uninstall, one after it.
#include "platform/platform.h"
#include "sequence.h"

namespace {

constexpr const char* kTitle = "VLMR Calliphon Un-Install";
constexpr const char* kConfirmText = "Ok to un-install Velmora Orvanel (TM)? ";
constexpr const char* kRestartText =
    "To complete the un-install you must restart your computer.\nDo you wish to restart now?";
constexpr UINT kConfirmStyle = MB_OKCANCEL | MB_ICONQUESTION;
constexpr UINT kRestartStyle = MB_YESNO | MB_ICONQUESTION;
static_assert(kConfirmStyle == 0x21 && kRestartStyle == 0x24);

}  // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
  if (MessageBoxA(nullptr, kConfirmText, kTitle, kConfirmStyle) != IDOK) return 0;
  RunUninstall();
  if (MessageBoxA(nullptr, kRestartText, kTitle, kRestartStyle) == IDYES) {
    ExitWindowsEx(EWX_REBOOT, 0);
  }
  return 0;
}
