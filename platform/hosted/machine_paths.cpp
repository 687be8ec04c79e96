#include "platform/hosted/machine_paths.h"

#include <cstdlib>
#include <cstring>
#include <dirent.h>
#include <memory>
#include <sys/stat.h>
#include <vector>

#include "platform/hosted/ascii.h"

namespace platform::hosted {
namespace {

bool IsSeparator(char c) { return c == '\\' || c == '/'; }

// Bytes that no name on a FAT disk can hold.
bool IsValidName(std::string_view name) {
  for (char c : name) {
    unsigned char byte = static_cast<unsigned char>(c);
    if (byte < 0x20 || std::strchr("<>:\"|?*", c) != nullptr) return false;
  }
  return true;
}

enum class Entry { kMissing, kDirectory, kFile, kLink };

Entry Inspect(const std::string& hostPath) {
  struct stat info {};
  if (::lstat(hostPath.c_str(), &info) != 0) return Entry::kMissing;
  if (S_ISLNK(info.st_mode)) return Entry::kLink;
  return S_ISDIR(info.st_mode) ? Entry::kDirectory : Entry::kFile;
}

struct DirCloser {
  void operator()(DIR* dir) const { ::closedir(dir); }
};

// The name under which `name` stands in the folder: itself when it exists
// as given, else the first entry in byte order equal to it ignoring case.
// Empty when there is none.
std::string FindName(const std::string& folder, std::string_view name) {
  std::string exact = folder + '/';
  exact += name;
  if (Inspect(exact) != Entry::kMissing) return std::string(name);
  std::unique_ptr<DIR, DirCloser> dir(::opendir(folder.c_str()));
  if (!dir) return {};
  std::string best;
  while (const dirent* entry = ::readdir(dir.get())) {
    std::string_view candidate = entry->d_name;
    if (!EqualIgnoringCase(candidate, name)) continue;
    if (best.empty() || candidate < best) best = candidate;
  }
  return best;
}

// The names of a drive path after the drive, with `.`, `..` and empty names
// applied. False for a name no FAT disk could hold.
bool SplitNames(std::string_view rest, std::vector<std::string_view>& names) {
  while (!rest.empty()) {
    std::size_t end = 0;
    while (end < rest.size() && !IsSeparator(rest[end])) ++end;
    std::string_view name = rest.substr(0, end);
    rest.remove_prefix(end < rest.size() ? end + 1 : end);
    if (name.empty() || name == ".") continue;
    if (name == "..") {
      if (!names.empty()) names.pop_back();
      continue;
    }
    if (!IsValidName(name)) return false;
    names.push_back(name);
  }
  return true;
}

PathLookup LookUpDrivePath(const char* path, PathUse use, std::string& hostPath) {
  const char* machine = MachineFolder();
  if (machine == nullptr) return PathLookup::kRefused;
  std::vector<std::string_view> names;
  if (!SplitNames(path + 2, names)) return PathLookup::kRefused;

  std::string host = machine;
  host += '/';
  host += LowerAscii(path[0]);
  switch (Inspect(host)) {
    case Entry::kDirectory: break;
    case Entry::kMissing: return PathLookup::kMissing;
    default: return PathLookup::kRefused;
  }
  for (std::size_t i = 0; i < names.size(); ++i) {
    bool last = i + 1 == names.size();
    std::string found = FindName(host, names[i]);
    host += '/';
    if (found.empty()) {
      if (!last || use == PathUse::kExisting) return PathLookup::kMissing;
      host += names[i];
      break;
    }
    host += found;
    Entry entry = Inspect(host);
    if (entry == Entry::kLink) return PathLookup::kRefused;
    if (entry == Entry::kMissing) return PathLookup::kMissing;
    if (!last && entry != Entry::kDirectory) return PathLookup::kMissing;
  }
  hostPath = std::move(host);
  return PathLookup::kFound;
}

}  // namespace

const char* MachineFolder() {
  const char* machine = std::getenv(kMachineVariable);
  return machine != nullptr && machine[0] != '\0' ? machine : nullptr;
}

bool MachineFile(std::string_view name, std::string& hostPath) {
  const char* machine = MachineFolder();
  if (machine == nullptr) return false;
  hostPath = machine;
  hostPath += '/';
  hostPath += name;
  return true;
}

bool IsDrivePath(const char* path) {
  unsigned char letter = static_cast<unsigned char>(path[0]);
  return ((letter >= 'a' && letter <= 'z') || (letter >= 'A' && letter <= 'Z')) && path[1] == ':';
}

PathLookup LookUpPath(const char* path, PathUse use, std::string& hostPath) {
  if (path == nullptr || path[0] == '\0') return PathLookup::kRefused;
  if (IsDrivePath(path)) return LookUpDrivePath(path, use, hostPath);
  hostPath = path;
  return PathLookup::kFound;
}

bool ResolvePath(const char* path, PathUse use, std::string& hostPath) {
  return LookUpPath(path, use, hostPath) == PathLookup::kFound;
}

}  // namespace platform::hosted
