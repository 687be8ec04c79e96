#include "platform/hosted/machine/paths.h"

#include <cstring>
#include <dirent.h>
#include <memory>
#include <sys/stat.h>
#include <vector>

#include "platform/ascii.h"
#include "platform/hosted/machine/machine.h"

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

enum class Entry { kMissing, kDirectory, kFile, kLink, kOther };

Entry Inspect(const std::string& hostPath) {
  struct stat info {};
  if (::lstat(hostPath.c_str(), &info) != 0) return Entry::kMissing;
  if (S_ISLNK(info.st_mode)) return Entry::kLink;
  if (S_ISDIR(info.st_mode)) return Entry::kDirectory;
  return S_ISREG(info.st_mode) ? Entry::kFile : Entry::kOther;
}

struct DirCloser {
  void operator()(DIR* dir) const { ::closedir(dir); }
};

enum class Match { kNone, kOne, kTwins };

// The entry of the folder equal to `name` ignoring case, looked for in the
// whole folder: a second one makes twins. A folder that cannot be listed
// answers for the name exactly as given.
Match FindName(const std::string& folder, std::string_view name, std::string& found) {
  std::unique_ptr<DIR, DirCloser> dir(::opendir(folder.c_str()));
  if (!dir) {
    found = name;
    return Inspect(folder + '/' + found) == Entry::kMissing ? Match::kNone : Match::kOne;
  }
  Match match = Match::kNone;
  while (const dirent* entry = ::readdir(dir.get())) {
    std::string_view candidate = entry->d_name;
    if (!ascii::EqualIgnoringCase(candidate, name)) continue;
    if (match == Match::kOne) return Match::kTwins;
    match = Match::kOne;
    found = candidate;
  }
  return match;
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

}  // namespace

PathLookup Machine::LookUp(const char* path, PathUse use, std::string& hostPath) const {
  if (!Named()) return PathLookup::kRefused;
  std::vector<std::string_view> names;
  if (!SplitNames(path + 2, names)) return PathLookup::kRefused;

  std::string host = folder_;
  host += '/';
  host += ascii::Lower(path[0]);
  switch (Inspect(host)) {
    case Entry::kDirectory: break;
    case Entry::kMissing: return PathLookup::kMissing;
    default: return PathLookup::kRefused;
  }
  for (std::size_t i = 0; i < names.size(); ++i) {
    bool last = i + 1 == names.size();
    std::string found;
    Match match = FindName(host, names[i], found);
    if (match == Match::kTwins) return PathLookup::kRefused;
    host += '/';
    if (match == Match::kNone) {
      if (!last || use == PathUse::kExisting) return PathLookup::kMissing;
      host += names[i];
      break;
    }
    host += found;
    switch (Inspect(host)) {
      case Entry::kMissing: return PathLookup::kMissing;
      case Entry::kDirectory: continue;
      case Entry::kLink:
        if (last && use == PathUse::kNewName) continue;
        return PathLookup::kRefused;
      case Entry::kOther:
        if (last && use == PathUse::kExisting) return PathLookup::kRefused;
        break;
      case Entry::kFile: break;
    }
    if (!last) return PathLookup::kMissing;
  }
  hostPath = std::move(host);
  return PathLookup::kFound;
}

const char* MachineFolder() {
  const Machine& machine = Machine::Current();
  return machine.Named() ? machine.Folder().c_str() : nullptr;
}

bool IsDrivePath(const char* path) {
  return ascii::IsLetter(path[0]) && path[1] == ':';
}

PathLookup LookUpPath(const char* path, PathUse use, std::string& hostPath) {
  if (path == nullptr || path[0] == '\0') return PathLookup::kRefused;
  if (IsDrivePath(path)) return Machine::Current().LookUp(path, use, hostPath);
  hostPath = path;
  return PathLookup::kFound;
}

bool ResolvePath(const char* path, PathUse use, std::string& hostPath) {
  return LookUpPath(path, use, hostPath) == PathLookup::kFound;
}

}  // namespace platform::hosted
