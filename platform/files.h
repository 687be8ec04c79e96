// Whole-file operations of the platform, through the fault seam.
#ifndef CPUNINST_PLATFORM_FILES_H
#define CPUNINST_PLATFORM_FILES_H

namespace platform {

// Deletes a file. False when it does not exist, is read-only or in use.
bool RemoveFile(const char* path);
// Renames a file. Never replaces an existing file.
bool RenameFile(const char* from, const char* to);

}  // namespace platform

#endif  // CPUNINST_PLATFORM_FILES_H
