#include "platform/hosted/machine/restart.h"

#include <string_view>
#include <sys/stat.h>

#include "platform/files.h"
#include "platform/hosted/machine/ini_lines.h"
#include "platform/hosted/machine/machine.h"
#include "platform/hosted/machine/paths.h"
#include "platform/hosted/machine/whole_file.h"

namespace platform::hosted {
namespace {

constexpr std::string_view kWininitName = "\\wininit.ini";
constexpr std::string_view kBackupName = "\\wininit.bak";
constexpr std::string_view kRenameSection = "rename";
constexpr std::string_view kNulDevice = "NUL";
// Far above the few lines Windows 95 would process at boot.
constexpr std::size_t kMaxWininitBytes = std::size_t{1} << 20;

enum class Outcome { kDone, kMissing, kFailed };

enum class Kind { kMissing, kFile, kOther };

Kind Inspect(const std::string& path, PathUse use, std::string& hostPath) {
  if (!IsDrivePath(path.c_str())) return Kind::kOther;
  switch (LookUpPath(path.c_str(), use, hostPath)) {
    case PathLookup::kFound: break;
    // A file whose folder is gone is as missing as the file itself.
    case PathLookup::kMissing: return use == PathUse::kExisting ? Kind::kMissing : Kind::kOther;
    case PathLookup::kRefused: return Kind::kOther;
  }
  struct stat info {};
  if (::lstat(hostPath.c_str(), &info) != 0) return Kind::kMissing;
  return S_ISREG(info.st_mode) ? Kind::kFile : Kind::kOther;
}

// NUL=path. Only drive paths, so the file lies inside the machine folder.
Outcome DeleteAtBoot(const std::string& path) {
  std::string host;
  switch (Inspect(path, PathUse::kExisting, host)) {
    case Kind::kMissing: return Outcome::kMissing;
    case Kind::kOther: return Outcome::kFailed;
    case Kind::kFile: break;
  }
  return RemoveFile(path.c_str()) ? Outcome::kDone : Outcome::kFailed;
}

// dest=src: src takes dest's name, an existing dest going first.
Outcome MoveAtBoot(const std::string& dest, const std::string& src) {
  std::string hostSrc;
  std::string hostDest;
  switch (Inspect(src, PathUse::kExisting, hostSrc)) {
    case Kind::kMissing: return Outcome::kMissing;
    case Kind::kOther: return Outcome::kFailed;
    case Kind::kFile: break;
  }
  Kind destKind = Inspect(dest, PathUse::kCreate, hostDest);
  if (destKind == Kind::kOther) return Outcome::kFailed;
  if (hostDest == hostSrc) return Outcome::kDone;
  if (destKind == Kind::kFile && !RemoveFile(dest.c_str())) return Outcome::kFailed;
  return RenameFile(src.c_str(), dest.c_str()) ? Outcome::kDone : Outcome::kFailed;
}

// wininit.ini becomes wininit.bak, in one step over an old one (which keeps
// its name's case).
bool SaveAsBackup(const std::string& ini, const std::string& backup) {
  std::string hostBackup;
  switch (Inspect(backup, PathUse::kCreate, hostBackup)) {
    case Kind::kFile: return ReplaceFile(ini.c_str(), backup.c_str()) == ReplaceResult::kReplaced;
    case Kind::kMissing: return RenameFile(ini.c_str(), backup.c_str());
    case Kind::kOther: break;
  }
  return false;
}

}  // namespace

BootResult ProcessWininit(Machine& machine) {
  BootResult result;
  const MachineIni* directories = machine.Directories();
  if (directories == nullptr || !IsDriveDirectory(directories->windows)) return result;
  const std::string& windows = directories->windows;
  result.iniPath = windows + std::string(kWininitName);
  std::string hostIni;
  switch (LookUpPath(result.iniPath.c_str(), PathUse::kExisting, hostIni)) {
    case PathLookup::kFound: break;
    case PathLookup::kMissing: return result;
    case PathLookup::kRefused:
      result.found = true;
      result.problem = "it cannot be reached inside the machine folder";
      return result;
  }
  std::string text;
  ReadResult read = ReadHostFile(hostIni, text, kMaxWininitBytes);
  if (read == ReadResult::kMissing) return result;
  result.found = true;
  if (read != ReadResult::kRead) {
    result.problem = DescribeReadFailure(read, kMaxWininitBytes);
    return result;
  }
  ForEachKeyLine(text, kRenameSection, [&](std::string_view key, std::string_view value) {
    std::string dest(key);
    std::string src(ascii::Trim(value));
    bool deleting = ascii::EqualIgnoringCase(dest, kNulDevice);
    switch (deleting ? DeleteAtBoot(src) : MoveAtBoot(dest, src)) {
      case Outcome::kDone: ++(deleting ? result.deleted : result.moved); break;
      case Outcome::kMissing: ++result.missing; break;
      case Outcome::kFailed: ++(deleting ? result.notDeleted : result.notMoved); break;
    }
    return true;
  });
  result.saved = SaveAsBackup(result.iniPath, windows + std::string(kBackupName));
  return result;
}

}  // namespace platform::hosted
