#include "platform/hosted/machine/records.h"

namespace platform::hosted {
namespace {

std::string RecordPath(const std::string& folder, std::string_view name) {
  std::string path = folder;
  path += '/';
  path += name;
  return path;
}

// Reads a record; a missing one is empty text and exists false.
bool ReadRecord(const std::string& path, std::size_t maxBytes, std::string& text, bool& exists,
                RecordProblem& problem) {
  ReadResult read = ReadHostFile(path, text, maxBytes);
  exists = read != ReadResult::kMissing;
  if (read == ReadResult::kRead || read == ReadResult::kMissing) return true;
  problem = {path, read, maxBytes, 0, {}};
  return false;
}

}  // namespace

std::string Describe(const RecordProblem& problem) {
  if (problem.read != ReadResult::kRead) return problem.path + ": " + DescribeReadFailure(problem.read, problem.limit);
  return problem.path + ": line " + std::to_string(problem.line) + ": " + problem.reason;
}

bool LoadRegistry(const std::string& folder, RegistryRecord& registry, RecordProblem& problem) {
  registry = RegistryRecord{};
  registry.path = RecordPath(folder, kRegistryName);
  bool exists = false;
  if (!ReadRecord(registry.path, kMaxRegistryBytes, registry.text, exists, problem)) return false;
  if (!exists) return true;
  RegistryError error;
  if (registry.file.Parse(registry.text, error)) return true;
  problem = {registry.path, ReadResult::kRead, 0, error.line, error.reason};
  return false;
}

bool LoadMachineIni(const std::string& folder, MachineIni& ini, RecordProblem& problem) {
  ini = MachineIni{};
  const std::string path = RecordPath(folder, kMachineIniName);
  std::string text;
  bool exists = false;
  if (!ReadRecord(path, kMaxMachineIniBytes, text, exists, problem)) return false;
  MachineIniError error;
  if (ParseMachineIni(text, ini, error)) return true;
  problem = {path, ReadResult::kRead, 0, error.line, error.reason};
  return false;
}

}  // namespace platform::hosted
