// The uninstall sequence run between the two questions to the user.
#ifndef CPUNINST_UNINSTALL_SEQUENCE_H
#define CPUNINST_UNINSTALL_SEQUENCE_H

#include "platform/platform.h"

// Builds the uninstall context and runs every phase in order. Returns the
// registry phase's status, or ERROR_FILE_NOT_FOUND when a directory query
// failed and the sequence stopped early.
LONG RunUninstall();

#endif  // CPUNINST_UNINSTALL_SEQUENCE_H
