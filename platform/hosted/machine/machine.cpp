#include "platform/hosted/machine/machine.h"

#include <cstdlib>
#include <fcntl.h>
#include <sys/stat.h>

#include "platform/files.h"
#include "platform/text_file.h"

namespace platform::hosted {
namespace {

// The machine in use, and the one WIN95_MACHINE names once it is needed.
Machine* inUse = nullptr;

Machine& FromEnvironment() {
  static Machine named([] {
    const char* folder = std::getenv(kMachineVariable);
    return std::string(folder != nullptr ? folder : "");
  }());
  return named;
}

int OpenFolder(const std::string& folder) {
  if (folder.empty()) return -1;
  return OpenRetrying(folder.c_str(), O_PATH | O_DIRECTORY);
}

bool IsFolder(const std::string& hostPath) {
  struct stat info {};
  return ::stat(hostPath.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

}  // namespace

Machine::Machine(std::string folder) : folder_(std::move(folder)), folderFd_(OpenFolder(folder_)) {}

Machine& Machine::Current() { return inUse != nullptr ? *inUse : FromEnvironment(); }

HostFiles& Machine::CurrentFiles() { return inUse != nullptr ? inUse->Files() : HostFiles::Plain(); }

Machine::Use::Use(Machine& machine) : previous_(inUse) { inUse = &machine; }

Machine::Use::~Use() { inUse = previous_; }

MachineProblem Machine::Check() {
  using Kind = MachineProblem::Kind;
  MachineProblem problem;
  problem.folder = folder_;
  if (!Named() || folderFd_.Get() < 0) {
    problem.kind = Named() ? Kind::kNotAFolder : Kind::kNotNamed;
    return problem;
  }
  const MachineIni* ini = Directories();
  if (ini == nullptr) {
    problem.kind = Kind::kRecord;
    problem.record = directoriesProblem_;
    return problem;
  }
  for (const auto& [key, text] : {std::pair{kWindowsKey, &ini->windows}, std::pair{kSystemKey, &ini->system}}) {
    if (IsDriveDirectory(*text)) continue;
    problem.kind = Kind::kNotADrivePath;
    problem.key = key;
    problem.text = *text;
    return problem;
  }
  // Every file the program names is composed from the Windows directory.
  std::string host;
  PathLookup lookup = LookUp(ini->windows.c_str(), PathUse::kExisting, host);
  if (lookup != PathLookup::kFound || !IsFolder(host)) {
    problem.kind = lookup == PathLookup::kRefused ? Kind::kWindowsUnreachable : Kind::kWindowsNotAFolder;
    problem.text = ini->windows;
    return problem;
  }
  if (Registry() == nullptr) {
    problem.kind = Kind::kRecord;
    problem.record = registryProblem_;
  }
  return problem;
}

const MachineIni* Machine::Directories() {
  if (!directoriesRead_ && Named()) {
    directoriesRead_ = true;
    MachineIni ini;
    if (LoadMachineIni(folder_, ini, directoriesProblem_)) directories_ = std::move(ini);
  }
  return directories_ ? &*directories_ : nullptr;
}

const RecordProblem& Machine::DirectoriesProblem() {
  Directories();
  return directoriesProblem_;
}

const RegistryRecord* Machine::Registry() {
  if (!registryRead_) {
    registryRead_ = true;
    RegistryRecord registry;
    // No machine has an empty registry.
    if (!Named() || LoadRegistry(folder_, registry, registryProblem_)) registry_ = std::move(registry);
  }
  return registry_ ? &*registry_ : nullptr;
}

const RecordProblem& Machine::RegistryProblem() {
  Registry();
  return registryProblem_;
}

Machine::Rewrite Machine::RewriteRegistry(std::string text) {
  if (Registry() == nullptr || !Named()) return Rewrite::kFailed;
  const std::string& path = registry_->path;
  struct stat info {};
  if (::lstat(path.c_str(), &info) == 0) {
    if (!S_ISREG(info.st_mode)) return Rewrite::kFailed;
    // No write bit is a read-only file, as on a FAT disk, even for root.
    if (!HasWriteBit(info.st_mode)) return Rewrite::kReadOnly;
  }
  const std::string scratch = folder_ + '/' + std::string(kRegistryScratchName);
  // The new file keeps the old one's permissions.
  TextReader current;
  TextWriter next;
  if (!current.Open(path.c_str()) || !next.Create(scratch.c_str(), &current)) return Rewrite::kFailed;
  current.Close();
  // The bytes go as they are: the text is already what the disk holds.
  if (next.Admit()) next.PutDos(text);
  switch (CommitNewFile(next, scratch.c_str(), path.c_str(), Placing::kReplace, Leftover::kRemove)) {
    case CommitResult::kCommitted: break;
    case CommitResult::kNotDeletable: return Rewrite::kReadOnly;
    case CommitResult::kWriteFailed:
    case CommitResult::kMoveFailed: return Rewrite::kFailed;
  }
  RegistryError error;
  registry_->text = std::move(text);
  // The text came from the record with blocks cut out: it parses.
  registry_->file.Parse(registry_->text, error);
  return Rewrite::kRewritten;
}

}  // namespace platform::hosted
