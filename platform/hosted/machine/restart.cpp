#include "platform/hosted/machine/restart.h"

#include <array>
#include <cstdio>
#include <string_view>
#include <sys/stat.h>

#include "platform/hosted/machine/ini_lines.h"
#include "platform/hosted/machine/paths.h"
#include "platform/hosted/machine/whole_file.h"
#include "platform/native_file.h"
#include "platform/platform.h"

namespace platform::hosted {
namespace {

constexpr std::string_view kWininitName = "\\wininit.ini";
constexpr std::string_view kBackupName = "\\wininit.bak";
constexpr std::string_view kRenameSection = "rename";
constexpr std::string_view kNulDevice = "NUL";
constexpr std::size_t kPathSize = 260;
// Far above the few lines Windows 95 would process at boot.
constexpr std::size_t kMaxWininitBytes = std::size_t{1} << 20;

constexpr std::string_view kRestarted = "restarted: ";
constexpr std::string_view kNothingScheduled = "nothing to delete";
constexpr std::string_view kNothingChanged = "nothing changed";
constexpr std::string_view kRestartToFinish = "uninstalled; restart to finish";

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
  return RemoveNativeFile(path.c_str()) ? Outcome::kDone : Outcome::kFailed;
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
  if (destKind == Kind::kFile && !RemoveNativeFile(dest.c_str())) return Outcome::kFailed;
  return RenameNativeFile(src.c_str(), dest.c_str()) ? Outcome::kDone : Outcome::kFailed;
}

// "1 file", "3 files".
std::string Count(int count, std::string_view one, std::string_view many) {
  return std::to_string(count) + ' ' + std::string(count == 1 ? one : many);
}

std::string WindowsDirectory() {
  std::array<char, kPathSize> buffer{};
  UINT length = GetWindowsDirectoryA(buffer.data(), buffer.size());
  if (length == 0 || length >= buffer.size()) return {};
  return std::string(buffer.data(), length);
}

}  // namespace

BootResult ProcessWininit() {
  BootResult result;
  std::string windows = WindowsDirectory();
  if (windows.empty()) return result;
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
  std::string hostBackup;
  std::string backup = windows + std::string(kBackupName);
  result.saved = ResolvePath(backup.c_str(), PathUse::kCreate, hostBackup) &&
                 std::rename(hostIni.c_str(), hostBackup.c_str()) == 0;
  return result;
}

std::string RestartLine(const BootResult& boot) {
  std::string line(kRestarted);
  if (!boot.found) return line + std::string(kNothingScheduled);
  if (!boot.problem.empty()) {
    return line + "nothing deleted: " + boot.iniPath + " was left as it is (" + boot.problem + ")";
  }
  line += boot.deleted == 0 ? std::string("no files deleted") : Count(boot.deleted, "file", "files") + " deleted";
  if (boot.moved > 0) line += ", " + Count(boot.moved, "file", "files") + " moved";
  if (boot.missing > 0) line += "; " + Count(boot.missing, "was", "were") + " already gone";
  if (boot.notDeleted > 0) line += "; " + Count(boot.notDeleted, "file", "files") + " could not be deleted";
  if (boot.notMoved > 0) line += "; " + Count(boot.notMoved, "file", "files") + " could not be moved";
  if (!boot.saved) line += "; wininit.ini could not be renamed to wininit.bak";
  return line;
}

std::string ClosingLine(bool machineChanged) {
  return std::string(machineChanged ? kRestartToFinish : kNothingChanged);
}

}  // namespace platform::hosted
