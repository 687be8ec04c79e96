// Whole host files for the machine's own records (registry.reg, machine.ini,
// wininit.ini at a restart): read at once, replaced atomically. A record is
// only ever a regular file: a link, FIFO, device or folder in its place is
// refused without blocking and without being followed.
#ifndef CPUNINST_PLATFORM_HOSTED_MACHINE_WHOLE_FILE_H
#define CPUNINST_PLATFORM_HOSTED_MACHINE_WHOLE_FILE_H

#include <cstddef>
#include <string>
#include <string_view>

namespace platform::hosted {

enum class ReadResult {
  kRead,
  kMissing,
  kNotRegular,  // a folder, FIFO, device, socket or symbolic link
  kTooLarge,    // more bytes than the caller allows
  kError,       // the system refused the open or a read
};

// Reads the whole file into bytes, at most maxBytes of them.
ReadResult ReadHostFile(const std::string& path, std::string& bytes, std::size_t maxBytes);

// Why a read did not give the file, in a few words ("not a regular file").
std::string DescribeReadFailure(ReadResult result, std::size_t maxBytes);

enum class ReplaceResult {
  kReplaced,
  kReadOnly,  // the file has no write permission bit: it stays as it is
  kFailed,    // the file is as it was and no scratch file is left
};

// Replaces the file with bytes: writes a new scratch file beside it (whatever
// stood at the scratch name is removed as a name first, never written
// through), puts it on stable storage and renames it onto the file, which
// keeps its permission bits. Goes through the fault seam (open, write, flush
// and rename of the scratch file).
ReplaceResult ReplaceHostFile(const std::string& path, const std::string& scratchPath, std::string_view bytes);

}  // namespace platform::hosted

#endif  // CPUNINST_PLATFORM_HOSTED_MACHINE_WHOLE_FILE_H
