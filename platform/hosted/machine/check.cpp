#include "platform/hosted/machine/check.h"

#include <string_view>
#include <sys/stat.h>

#include "platform/ascii.h"
#include "platform/hosted/machine/diagnostics.h"
#include "platform/hosted/machine/machine_ini.h"
#include "platform/hosted/machine/paths.h"
#include "platform/hosted/machine/records.h"

namespace platform::hosted {
namespace {

constexpr std::string_view kNotSet =
    " is not set: set it to the machine folder (the folder holding c/ and registry.reg)";

bool IsFolder(const std::string& path) {
  struct stat info {};
  return ::stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

bool CheckDirectoryText(std::string_view key, const std::string& text, std::string& problem) {
  if (IsDriveDirectory(text)) return true;
  std::string path;
  MachineFile(kMachineIniName, path);
  problem = path + ": " + std::string(key) + "=" + Printable(text) + " is not a drive path (X:\\...)";
  return false;
}

// The Windows directory must be a folder on its drive: every file the
// program names is composed from it.
bool CheckWindowsFolder(const std::string& windows, std::string& problem) {
  std::string host;
  PathLookup lookup = LookUpPath(windows.c_str(), PathUse::kExisting, host);
  if (lookup == PathLookup::kFound && IsFolder(host)) return true;
  std::string drive(1, ascii::Lower(windows[0]));
  problem = "the Windows directory " + Printable(windows) +
            (lookup == PathLookup::kRefused ? " cannot be reached inside the machine folder"
                                            : " is not a folder on drive " + std::string(1, windows[0]) +
                                                  ": (" + std::string(MachineFolder()) + "/" + drive + "/...)");
  return false;
}

}  // namespace

bool CheckMachine(std::string& problem) {
  const char* machine = MachineFolder();
  if (machine == nullptr) {
    problem = std::string(kMachineVariable) + std::string(kNotSet);
    return false;
  }
  if (!IsFolder(machine)) {
    problem = std::string(kMachineVariable) + " names " + Printable(machine, 200) + ", which is not a folder";
    return false;
  }
  MachineIni ini;
  if (!LoadMachineIni(ini, problem) || !CheckDirectoryText(kWindowsKey, ini.windows, problem) ||
      !CheckDirectoryText(kSystemKey, ini.system, problem) || !CheckWindowsFolder(ini.windows, problem)) {
    return false;
  }
  RegistryRecord registry;
  return LoadRegistry(registry, problem);
}

}  // namespace platform::hosted
