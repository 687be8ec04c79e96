// The Windows and system directories, as <machine>/machine.ini names them.
#include <cstring>
#include <string>

#include "platform/hosted/machine/machine.h"
#include "platform/platform.h"

namespace {

using platform::hosted::MachineIni;

// As Win32: the length without the NUL when it fits, else the size needed
// with the NUL and nothing copied; 0 when there is no machine, machine.ini
// cannot be had, or the text is not a drive path (which could name a place
// outside the machine folder).
UINT CopyDirectory(std::string MachineIni::*directory, LPSTR buffer, UINT size) {
  const MachineIni* ini = platform::hosted::Machine::Current().Directories();
  if (ini == nullptr) return 0;
  const std::string& text = ini->*directory;
  if (!platform::hosted::IsDriveDirectory(text)) return 0;
  auto length = static_cast<UINT>(text.size());
  if (buffer == nullptr || size <= length) return length + 1;
  std::memcpy(buffer, text.data(), length);
  buffer[length] = '\0';
  return length;
}

}  // namespace

UINT WINAPI GetWindowsDirectoryA(LPSTR buffer, UINT size) {
  return CopyDirectory(&MachineIni::windows, buffer, size);
}

UINT WINAPI GetSystemDirectoryA(LPSTR buffer, UINT size) {
  return CopyDirectory(&MachineIni::system, buffer, size);
}
