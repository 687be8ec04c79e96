// The restart that ExitWindowsEx asks for (Machine::RestartRequested), carried
// out once WinMain has returned: what Windows 95 does with wininit.ini at boot.
#ifndef CPUNINST_PLATFORM_HOSTED_MACHINE_RESTART_H
#define CPUNINST_PLATFORM_HOSTED_MACHINE_RESTART_H

#include <string>

namespace platform::hosted {

class Machine;

// What a boot did with <windows>\wininit.ini.
struct BootResult {
  bool found = false;     // there was a wininit.ini to process
  std::string problem;    // why an existing wininit.ini could not be read
  int deleted = 0;        // NUL=path lines carried out
  int moved = 0;          // dest=src lines carried out
  int missing = 0;        // lines whose file was not there
  int notDeleted = 0;     // NUL=path lines that could not be carried out
  int notMoved = 0;       // dest=src lines that could not be carried out
  bool saved = false;     // the file was renamed to wininit.bak
  std::string iniPath;    // the file as the machine names it
};

// Processes wininit.ini as Windows 95 does at boot: each line of its
// [rename] sections in order, NUL=path deleting the file and dest=src moving
// src onto dest; then renames it to wininit.bak, replacing an old one. Only
// drive paths are acted on, so a copied machine cannot name host files. Every
// deletion and move goes through the platform's files and their fault seam.
BootResult ProcessWininit(Machine& machine);

}  // namespace platform::hosted

#endif  // CPUNINST_PLATFORM_HOSTED_MACHINE_RESTART_H
