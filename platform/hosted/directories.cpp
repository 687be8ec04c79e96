// The Windows and system directories, as <machine>/machine.ini names them.
#include <cstring>
#include <string>
#include <string_view>

#include "platform/hosted/machine/diagnostics.h"
#include "platform/hosted/machine/machine_ini.h"
#include "platform/hosted/machine/paths.h"
#include "platform/hosted/machine/records.h"
#include "platform/platform.h"

namespace {

// The directory text of machine.ini; false when there is no machine folder,
// machine.ini cannot be had, or the text is not a drive path (which could
// name a place outside the machine folder).
bool DirectoryText(std::string platform::hosted::MachineIni::*directory, std::string_view key, std::string& text) {
  if (platform::hosted::MachineFolder() == nullptr) return false;
  platform::hosted::MachineIni ini;
  std::string problem;
  if (!platform::hosted::LoadMachineIni(ini, problem)) {
    platform::hosted::SayOnce(problem + "; the directory queries fail");
    return false;
  }
  text = ini.*directory;
  if (platform::hosted::IsDriveDirectory(text)) return true;
  platform::hosted::SayOnce(std::string(platform::hosted::kMachineIniName) + ": " + std::string(key) + "=" +
         platform::hosted::Printable(text) + " is not a drive path (X:\\...); the query fails");
  return false;
}

// As Win32: the length without the NUL when it fits, else the size needed
// with the NUL and nothing copied; 0 on failure.
UINT CopyDirectory(std::string platform::hosted::MachineIni::*directory, std::string_view key, LPSTR buffer,
                   UINT size) {
  std::string text;
  if (!DirectoryText(directory, key, text)) return 0;
  auto length = static_cast<UINT>(text.size());
  if (buffer == nullptr || size <= length) return length + 1;
  std::memcpy(buffer, text.data(), length);
  buffer[length] = '\0';
  return length;
}

}  // namespace

UINT WINAPI GetWindowsDirectoryA(LPSTR buffer, UINT size) {
  return CopyDirectory(&platform::hosted::MachineIni::windows, platform::hosted::kWindowsKey, buffer, size);
}

UINT WINAPI GetSystemDirectoryA(LPSTR buffer, UINT size) {
  return CopyDirectory(&platform::hosted::MachineIni::system, platform::hosted::kSystemKey, buffer, size);
}
