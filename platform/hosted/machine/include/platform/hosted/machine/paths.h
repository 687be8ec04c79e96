// Where a path of the program lies on the host. A path that starts with a
// drive letter and ':' lies in the current machine's folder (machine.h);
// any other path is an ordinary host path.
#ifndef CPUNINST_PLATFORM_HOSTED_MACHINE_PATHS_H
#define CPUNINST_PLATFORM_HOSTED_MACHINE_PATHS_H

#include <string>
#include <string_view>

namespace platform::hosted {

// The folder of the current machine (Machine::Current()), or null when no
// folder is named.
const char* MachineFolder();

// Whether a path starts with a drive letter and ':'.
bool IsDrivePath(const char* path);

enum class PathUse {
  kExisting,  // the file must exist (open for reading, delete, rename source)
  kCreate,    // the file may be created (its folder must exist)
  kNewName,   // a new file takes the name: what stands there is removed as a
              // name first, so it may be anything, a link too (never followed)
};

// The host path for a program path, or false when the path cannot name a
// file (a drive path with no current machine, one whose folders do not
// exist, or one that would pass through a symbolic link).
//
// Drive paths: `\` and `/` separate names; empty names and `.` are skipped;
// `..` drops the previous name and never climbs above the drive's folder.
// Each name is matched against what exists, ignoring ASCII case as on a FAT
// disk; a name that does not exist keeps the case it was given. A folder
// holding two names equal but for case cannot be a FAT disk: a path through
// such a name is refused, so no operation can reach one twin and then the
// other. Symbolic links are refused altogether inside a drive (but for the
// last name of kNewName, which is only ever removed), so a copied machine
// tree can never lead the program to a file outside it. With kExisting, the
// last name must be a folder or a regular file: a FIFO, device or socket is
// refused before anything opens it.
bool ResolvePath(const char* path, PathUse use, std::string& hostPath);

// Why a path did or did not resolve: the same rules as ResolvePath, for
// callers that tell a file that is not there from a path that is refused.
enum class PathLookup {
  kFound,
  kMissing,  // the file, or one of its folders, does not exist
  kRefused,  // no machine folder, a symbolic link, twin names, a name no FAT
             // disk holds, or (kExisting) neither a folder nor a regular file
};
PathLookup LookUpPath(const char* path, PathUse use, std::string& hostPath);

}  // namespace platform::hosted

#endif  // CPUNINST_PLATFORM_HOSTED_MACHINE_PATHS_H
