// Where a path of the program lies on the host. A path that starts with a
// drive letter and ':' lies in the machine folder named by WIN95_MACHINE;
// any other path is an ordinary host path.
#ifndef CPUNINST_PLATFORM_HOSTED_MACHINE_PATHS_H
#define CPUNINST_PLATFORM_HOSTED_MACHINE_PATHS_H

#include <string>

namespace platform::hosted {

enum class PathUse {
  kExisting,  // the file must exist (open for reading, delete, rename source)
  kCreate,    // the file may be created (its folder must exist)
};

// The host path for a program path, or false when the path cannot name a
// file (a drive path with no machine folder set, or one that would lead out
// of the machine folder).
bool ResolvePath(const char* path, PathUse use, std::string& hostPath);

}  // namespace platform::hosted

#endif  // CPUNINST_PLATFORM_HOSTED_MACHINE_PATHS_H
