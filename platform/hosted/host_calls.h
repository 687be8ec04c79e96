// Host system calls that the hosted backend's file code shares.
#ifndef CPUNINST_PLATFORM_HOSTED_HOST_CALLS_H
#define CPUNINST_PLATFORM_HOSTED_HOST_CALLS_H

#include <string>
#include <sys/types.h>

namespace platform::hosted {

// open(2) with O_CLOEXEC added, tried again when a signal interrupts it.
int OpenRetrying(const char* path, int flags, mode_t mode = 0);

// Puts the folder that holds path on stable storage, so that a rename or a
// new name in it is there after a crash. Best effort: a folder that cannot
// be opened or synced changes nothing for the caller.
void SyncFolderOf(const std::string& path);

}  // namespace platform::hosted

#endif  // CPUNINST_PLATFORM_HOSTED_HOST_CALLS_H
