// A model of how the hosted machine reads its own profile-format records
// (machine.ini, wininit.ini): lines split at LF with a CR before it dropped,
// the text ending at the first Ctrl-Z, [section] headers up to their first
// ']', key=value lines split at their first '='.
#ifndef CPUNINST_TESTS_FUZZ_RECORD_MODEL_H
#define CPUNINST_TESTS_FUZZ_RECORD_MODEL_H

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace fuzz {

struct RecordKeyLine {
  std::string_view key;    // blanks trimmed
  std::string_view value;  // everything after the first '=', as written
};

// The key lines of every section of the name; a header without ']' ends a section.
std::vector<RecordKeyLine> RecordKeyLines(std::string_view text, std::string_view section);

// machine.ini: the two directory texts, or the line that makes it refused.
struct MachineIniModel {
  bool parses = true;
  std::size_t errorLine = 0;
  std::string windows = "C:\\WINDOWS";
  std::string system = "C:\\WINDOWS\\SYSTEM";
};
MachineIniModel ReadMachineIni(std::string_view text);

// A directory text the machine may use: X:\ and then no byte a FAT name cannot hold.
bool IsDriveDirectoryText(std::string_view text);

}  // namespace fuzz

#endif  // CPUNINST_TESTS_FUZZ_RECORD_MODEL_H
