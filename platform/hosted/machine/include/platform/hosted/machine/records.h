// The machine's own records in the machine folder (registry.reg,
// machine.ini): their names, how large each may grow, reading one whole, and
// why one could not be had.
#ifndef CPUNINST_PLATFORM_HOSTED_MACHINE_RECORDS_H
#define CPUNINST_PLATFORM_HOSTED_MACHINE_RECORDS_H

#include <cstddef>
#include <string>
#include <string_view>

#include "platform/hosted/machine/machine_ini.h"
#include "platform/hosted/machine/regedit4.h"
#include "platform/hosted/machine/whole_file.h"

namespace platform::hosted {

inline constexpr std::string_view kRegistryName = "registry.reg";
inline constexpr std::string_view kRegistryScratchName = "registry.$$$";
inline constexpr std::string_view kMachineIniName = "machine.ini";

// Far above what a real machine holds; a record beyond them is refused
// rather than read into memory.
inline constexpr std::size_t kMaxRegistryBytes = std::size_t{64} << 20;
inline constexpr std::size_t kMaxMachineIniBytes = std::size_t{64} << 10;

// Why a record could not be had: it could not be read (read), or it was read
// and does not parse (line, reason).
struct RecordProblem {
  std::string path;  // empty: no problem
  ReadResult read = ReadResult::kRead;
  std::size_t limit = 0;
  std::size_t line = 0;
  std::string reason;
};

// The problem in one line: "/m/registry.reg: line 3: unknown root key".
std::string Describe(const RecordProblem& problem);

// The registry as it stands: its host path, its text and what it parses to.
struct RegistryRecord {
  std::string path;
  std::string text;
  RegistryFile file;
};

// Reads <folder>/registry.reg (missing: an empty registry) and parses it.
// False with the problem when it cannot be read or does not parse.
bool LoadRegistry(const std::string& folder, RegistryRecord& registry, RecordProblem& problem);

// The directory texts of <folder>/machine.ini, the defaults when there is
// none. False with the problem when it cannot be read or does not parse.
bool LoadMachineIni(const std::string& folder, MachineIni& ini, RecordProblem& problem);

}  // namespace platform::hosted

#endif  // CPUNINST_PLATFORM_HOSTED_MACHINE_RECORDS_H
