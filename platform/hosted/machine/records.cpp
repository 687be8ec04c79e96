#include "platform/hosted/machine/records.h"

#include "platform/hosted/machine/paths.h"
#include "platform/hosted/machine/whole_file.h"

namespace platform::hosted {
namespace {

// Reads a record; a missing one is empty text and exists false. False with
// the cause.
bool ReadRecord(const std::string& path, std::size_t maxBytes, std::string& text, bool& exists,
                std::string& problem) {
  ReadResult read = ReadHostFile(path, text, maxBytes);
  exists = read != ReadResult::kMissing;
  if (read == ReadResult::kRead || read == ReadResult::kMissing) return true;
  problem = path + ": " + DescribeReadFailure(read, maxBytes);
  return false;
}

}  // namespace

bool LoadRegistry(RegistryRecord& registry, std::string& problem) {
  registry.text.clear();
  registry.file = RegistryFile{};
  if (!MachineFile(kRegistryName, registry.path)) {
    registry.path.clear();
    return true;
  }
  bool exists = false;
  if (!ReadRecord(registry.path, kMaxRegistryBytes, registry.text, exists, problem)) return false;
  if (!exists) return true;
  RegistryError error;
  if (registry.file.Parse(registry.text, error)) return true;
  problem = registry.path + ": line " + std::to_string(error.line) + ": " + error.reason;
  return false;
}

bool LoadMachineIni(MachineIni& ini, std::string& problem) {
  ini = MachineIni{};
  std::string path;
  if (!MachineFile(kMachineIniName, path)) {
    problem = std::string(kMachineVariable) + " is not set";
    return false;
  }
  std::string text;
  bool exists = false;
  if (!ReadRecord(path, kMaxMachineIniBytes, text, exists, problem)) return false;
  MachineIniError error;
  if (ParseMachineIni(text, ini, error)) return true;
  problem = path + ": line " + std::to_string(error.line) + ": " + error.reason;
  return false;
}

}  // namespace platform::hosted
