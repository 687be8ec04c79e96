// The entry of a GUI program: static constructors, then WinMain with the
// command line after the program name and the window state it was started
// with.
#include <windows.h>

#include "command_line.h"
#include "runtime.h"

extern "C" void __main();

extern "C" void WinMainCRTStartup() {
  __main();
  STARTUPINFOA startup{};
  startup.cb = sizeof(startup);
  GetStartupInfoA(&startup);
  int show = (startup.dwFlags & STARTF_USESHOWWINDOW) != 0 ? startup.wShowWindow : SW_SHOWDEFAULT;
  LPSTR tail = const_cast<LPSTR>(runtime::CommandTail(GetCommandLineA()));
  runtime::Exit(WinMain(GetModuleHandleA(nullptr), nullptr, tail, show));
}
