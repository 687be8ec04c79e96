// The machine's own records in the machine folder (registry.reg,
// machine.ini): their names, how large each may grow, and reading one whole
// with the reason in one line when it cannot be had.
#ifndef CPUNINST_PLATFORM_HOSTED_MACHINE_RECORDS_H
#define CPUNINST_PLATFORM_HOSTED_MACHINE_RECORDS_H

#include <cstddef>
#include <string>
#include <string_view>

#include "platform/hosted/machine/machine_ini.h"
#include "platform/hosted/machine/regedit4.h"

namespace platform::hosted {

inline constexpr std::string_view kRegistryName = "registry.reg";
inline constexpr std::string_view kRegistryScratchName = "registry.$$$";
inline constexpr std::string_view kMachineIniName = "machine.ini";

// Far above what a real machine holds; a record beyond them is refused
// rather than read into memory.
inline constexpr std::size_t kMaxRegistryBytes = std::size_t{64} << 20;
inline constexpr std::size_t kMaxMachineIniBytes = std::size_t{64} << 10;

// The registry as it stands: its host path, its text and what it parses to.
// With no machine folder or no file the registry is empty. False when the
// file cannot be read or does not parse; problem then names the file and the
// cause ("/m/registry.reg: line 3: unknown root key").
struct RegistryRecord {
  std::string path;
  std::string text;
  RegistryFile file;
};
bool LoadRegistry(RegistryRecord& registry, std::string& problem);

// The directory texts of machine.ini, the defaults when there is none. False
// when there is no machine folder, or the file cannot be read or does not
// parse, with the cause in problem. The texts are not checked here (see
// IsDriveDirectory).
bool LoadMachineIni(MachineIni& ini, std::string& problem);

}  // namespace platform::hosted

#endif  // CPUNINST_PLATFORM_HOSTED_MACHINE_RECORDS_H
