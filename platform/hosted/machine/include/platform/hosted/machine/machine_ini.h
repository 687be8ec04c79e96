// <machine>/machine.ini: the texts the Windows- and system-directory queries
// return. Plain functions over text, so that they can be tested and fuzzed
// without a machine folder.
#ifndef CPUNINST_PLATFORM_HOSTED_MACHINE_MACHINE_INI_H
#define CPUNINST_PLATFORM_HOSTED_MACHINE_MACHINE_INI_H

#include <cstddef>
#include <string>
#include <string_view>

namespace platform::hosted {

inline constexpr std::string_view kDirectoriesSection = "directories";
inline constexpr std::string_view kWindowsKey = "windows";
inline constexpr std::string_view kSystemKey = "system";
inline constexpr std::string_view kDefaultWindowsDirectory = "C:\\WINDOWS";
inline constexpr std::string_view kDefaultSystemDirectory = "C:\\WINDOWS\\SYSTEM";

struct MachineIni {
  std::string windows{kDefaultWindowsDirectory};
  std::string system{kDefaultSystemDirectory};
};

struct MachineIniError {
  std::size_t line = 0;
  std::string reason;
};

// Reads the [directories] section: windows= and system=, each the first line
// of its key, blanks around the text dropped; a key not given keeps its
// default. Other sections are not looked at. False, with the first offending
// line, for a line that is neither blank, a ';' comment, a [section] header
// nor key=value, and for a key in [directories] other than the two.
bool ParseMachineIni(std::string_view text, MachineIni& ini, MachineIniError& error);

// Whether a directory text is a drive path: a letter, ':', '\', then only
// bytes a name on a FAT disk may hold. Nothing else may name a directory of
// the machine, so no query can lead outside the machine folder.
bool IsDriveDirectory(std::string_view text);

}  // namespace platform::hosted

#endif  // CPUNINST_PLATFORM_HOSTED_MACHINE_MACHINE_INI_H
