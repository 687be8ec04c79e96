// Whole-file operations of the platform, through the fault seam.
#ifndef CPUNINST_PLATFORM_FILES_H
#define CPUNINST_PLATFORM_FILES_H

namespace platform {

// Deletes a file. False when it does not exist, is read-only or in use.
bool RemoveFile(const char* path);
// Renames a file. Never replaces an existing file.
bool RenameFile(const char* from, const char* to);

enum class ReplaceResult {
  kReplaced,
  kNotDeletable,  // the old file is missing, read-only or in use: both stay
  kMoveFailed,    // the new file stays under its own name
};

// Puts the file `from` in the place of the file `to`. Where the system can,
// in one step, so that `to` always names the old or the new file; where it
// cannot (Windows 95), by deleting `to` and renaming `from`. Either way `to`
// must be a file that could be deleted.
ReplaceResult ReplaceFile(const char* from, const char* to);

}  // namespace platform

#endif  // CPUNINST_PLATFORM_FILES_H
