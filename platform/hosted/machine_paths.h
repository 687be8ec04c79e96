// Where a path of the program lies on the host. A path that starts with a
// drive letter and ':' lies in the machine folder named by WIN95_MACHINE;
// any other path is an ordinary host path.
#ifndef CPUNINST_PLATFORM_HOSTED_MACHINE_PATHS_H
#define CPUNINST_PLATFORM_HOSTED_MACHINE_PATHS_H

#include <string>
#include <string_view>

namespace platform::hosted {

// The variable that names the machine folder.
inline constexpr const char* kMachineVariable = "WIN95_MACHINE";

// The machine folder, or null when WIN95_MACHINE is unset or empty.
const char* MachineFolder();

// The host path of a file directly in the machine folder (registry.reg,
// machine.ini). False when no machine folder is set.
bool MachineFile(std::string_view name, std::string& hostPath);

// Whether a path starts with a drive letter and ':'.
bool IsDrivePath(const char* path);

enum class PathUse {
  kExisting,  // the file must exist (open for reading, delete, rename source)
  kCreate,    // the file may be created (its folder must exist)
};

// The host path for a program path, or false when the path cannot name a
// file (a drive path with no machine folder set, one whose folders do not
// exist, or one that would pass through a symbolic link).
//
// Drive paths: `\` and `/` separate names; empty names and `.` are skipped;
// `..` drops the previous name and never climbs above the drive's folder.
// Each name is matched against what exists, exactly first and then ignoring
// ASCII case (the first match in byte order when several differ only in
// case); a name that does not exist keeps the case it was given. Symbolic
// links are refused altogether inside a drive, so a copied machine tree can
// never lead the program to a file outside it.
bool ResolvePath(const char* path, PathUse use, std::string& hostPath);

// Why a path did or did not resolve: the same rules as ResolvePath, for
// callers that tell a file that is not there from a path that is refused.
enum class PathLookup {
  kFound,
  kMissing,  // the file, or one of its folders, does not exist
  kRefused,  // no machine folder, a symbolic link, or a name no FAT disk holds
};
PathLookup LookUpPath(const char* path, PathUse use, std::string& hostPath);

}  // namespace platform::hosted

#endif  // CPUNINST_PLATFORM_HOSTED_MACHINE_PATHS_H
