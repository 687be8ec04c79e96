#include "platform/hosted/session.h"

#include <array>
#include <cstdio>
#include <string_view>
#include <sys/stat.h>

#include "platform/hosted/host_file.h"
#include "platform/hosted/machine_paths.h"
#include "platform/hosted/profile_text.h"
#include "platform/native_file.h"
#include "platform/platform.h"

namespace platform::hosted {
namespace {

constexpr std::string_view kWininitName = "\\wininit.ini";
constexpr std::string_view kBackupName = "\\wininit.bak";
constexpr std::string_view kRenameSection = "rename";
constexpr std::string_view kNulDevice = "NUL";
constexpr std::size_t kPathSize = 260;

bool gRestartRequested = false;

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

std::string WindowsDirectory() {
  std::array<char, kPathSize> buffer{};
  UINT length = GetWindowsDirectoryA(buffer.data(), buffer.size());
  if (length == 0 || length >= buffer.size()) return {};
  return std::string(buffer.data(), length);
}

}  // namespace

bool RestartRequested() { return gRestartRequested; }

BootResult ProcessWininit() {
  BootResult result;
  std::string windows = WindowsDirectory();
  if (windows.empty()) return result;
  result.iniPath = windows + std::string(kWininitName);
  std::string hostIni;
  std::string text;
  if (!ResolvePath(result.iniPath.c_str(), PathUse::kExisting, hostIni) ||
      ReadHostFile(hostIni, text) != ReadResult::kRead) {
    return result;
  }
  result.found = true;
  ForEachKeyLine(text, kRenameSection, [&](std::string_view key, std::string_view value) {
    std::string dest(key);
    std::string src(TrimBlanks(value));
    bool deleting = EqualIgnoringCase(dest, kNulDevice);
    switch (deleting ? DeleteAtBoot(src) : MoveAtBoot(dest, src)) {
      case Outcome::kDone: ++(deleting ? result.deleted : result.moved); break;
      case Outcome::kMissing: ++result.missing; break;
      case Outcome::kFailed: ++result.failed; break;
    }
    return true;
  });
  std::string hostBackup;
  std::string backup = windows + std::string(kBackupName);
  result.saved = ResolvePath(backup.c_str(), PathUse::kCreate, hostBackup) &&
                 std::rename(hostIni.c_str(), hostBackup.c_str()) == 0;
  return result;
}

void RestartMachine(std::ostream& out) {
  BootResult boot = ProcessWininit();
  out << "Restarted the machine: ";
  if (!boot.found) {
    out << "no " << (boot.iniPath.empty() ? std::string("wininit.ini") : boot.iniPath) << " to process.\n";
  } else {
    out << boot.iniPath << " processed (" << boot.deleted << " deleted, " << boot.moved << " moved, "
        << boot.missing << " already missing, " << boot.failed << " failed), "
        << (boot.saved ? "renamed to wininit.bak." : "but it could not be renamed to wininit.bak.") << '\n';
  }
  out.flush();
}

}  // namespace platform::hosted

BOOL WINAPI ExitWindowsEx(UINT flags, DWORD) {
  if ((flags & EWX_REBOOT) != 0) platform::hosted::gRestartRequested = true;
  return TRUE;
}
