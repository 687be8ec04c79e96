// The phases of the uninstall sequence, in the order RunUninstall runs them.
// Every phase is silent: a missing file, line or key is simply left alone.
#ifndef CPUNINST_UNINSTALL_PHASES_H
#define CPUNINST_UNINSTALL_PHASES_H

#include "platform/platform.h"

namespace uninstall {

// Configuration-file cleanup, first half: the card's drivers keys and its
// virtual-device line in the Windows profile.
void CleanProfile(const char* profilePath);
// Configuration-file cleanup, second half: the card's driver lines in
// config.sys and its CD-ROM extension line in autoexec.bat.
void CleanBootFiles(const char* systemDir);

// Writes the files to delete at the next start into a new wininit.ini, whole
// or not at all; an existing one is left as it is.
void WriteBootDeletionList(const char* windowsDir, const char* systemDir);
// Deletes the files that can go at once.
void RemoveCardFiles(const char* windowsDir, const char* systemDir);

// Removes the product's registry entries. Returns the status of the call
// that ended the phase (ERROR_SUCCESS when the last one succeeded).
LONG CleanRegistry();

}  // namespace uninstall

#endif  // CPUNINST_UNINSTALL_PHASES_H
