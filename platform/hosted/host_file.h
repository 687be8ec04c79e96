// Whole host files for the machine's own records (registry.reg, machine.ini,
// wininit.ini at a restart): read at once, replaced atomically.
#ifndef CPUNINST_PLATFORM_HOSTED_HOST_FILE_H
#define CPUNINST_PLATFORM_HOSTED_HOST_FILE_H

#include <string>
#include <string_view>

namespace platform::hosted {

enum class ReadResult { kRead, kMissing, kError };

// Reads the whole file into bytes. A symbolic link is an error, not followed.
ReadResult ReadHostFile(const std::string& path, std::string& bytes);

// Replaces the file with bytes: writes the scratch file beside it, puts it
// on stable storage and renames it onto the file. On any failure the file is
// as it was and the scratch file is gone. Goes through the fault seam (open,
// write, flush and rename of the scratch file).
bool ReplaceHostFile(const std::string& path, const std::string& scratchPath, std::string_view bytes);

}  // namespace platform::hosted

#endif  // CPUNINST_PLATFORM_HOSTED_HOST_FILE_H
