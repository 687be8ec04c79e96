// Whole host files for the machine's own records (registry.reg, machine.ini,
// wininit.ini at a restart), read at once. A record is only ever a regular
// file: a link, FIFO, device or folder in its place is refused without
// blocking and without being followed. (They are replaced through the one
// commit of platform/files.h.)
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

}  // namespace platform::hosted

#endif  // CPUNINST_PLATFORM_HOSTED_MACHINE_WHOLE_FILE_H
