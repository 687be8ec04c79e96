// Raw files on the host, behind the machine folder's path rules.
#include "platform/native_file.h"

#include <cerrno>
#include <fcntl.h>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

#include "platform/hosted/host_files.h"
#include "platform/hosted/machine/machine.h"
#include "platform/hosted/machine/paths.h"
#include "platform/hosted/posix_io.h"

namespace platform {
namespace {

using hosted::HasWriteBit;
using hosted::HostFiles;
using hosted::Machine;

constexpr mode_t kNewFileMode = 0666;  // narrowed by the umask

// What a refused call's errno says.
OpenFailure FailureOf(int error) {
  if (error == EACCES || error == EPERM) return OpenFailure::kDenied;
  return error == ENOENT || error == ENOTDIR ? OpenFailure::kMissing : OpenFailure::kOther;
}

// Read-only (no write bit) as what the name leads to.
bool IsReadOnly(const std::string& hostPath) {
  struct stat info {};
  return ::stat(hostPath.c_str(), &info) == 0 && !HasWriteBit(info.st_mode);
}

// The host path of a file that may be deleted: a file (on a host path also a
// link, which goes as a name) that is not read-only. Empty when there is none.
std::string RemovableHostPath(const char* path) {
  std::string hostPath;
  if (!hosted::ResolvePath(path, hosted::PathUse::kExisting, hostPath)) return {};
  struct stat info {};
  if (::lstat(hostPath.c_str(), &info) != 0) return {};
  bool linkOnHostPath = S_ISLNK(info.st_mode) && !hosted::IsDrivePath(path);
  if (!S_ISREG(info.st_mode) && !linkOnHostPath) return {};
  if (linkOnHostPath ? IsReadOnly(hostPath) : !HasWriteBit(info.st_mode)) return {};
  return hostPath;
}

// Removes what stands at a name a new file is to take. A link goes as a name
// (its own bits say nothing of its target); a read-only file stays, as
// Windows cannot delete it; a folder stays and fails.
OpenFailure ClearName(HostFiles& files, const std::string& hostPath) {
  struct stat info {};
  if (::lstat(hostPath.c_str(), &info) != 0) return errno == ENOENT ? OpenFailure::kNone : FailureOf(errno);
  if (S_ISDIR(info.st_mode)) return OpenFailure::kOther;
  if (!S_ISLNK(info.st_mode) && !HasWriteBit(info.st_mode)) return OpenFailure::kOther;
  if (files.Unlink(hostPath) || errno == ENOENT) return OpenFailure::kNone;
  return FailureOf(errno);
}

// The host path of a file to open, or why there is none.
OpenFailure Resolve(const char* path, hosted::PathUse use, std::string& hostPath) {
  hosted::PathLookup lookup = hosted::LookUpPath(path, use, hostPath);
  if (lookup == hosted::PathLookup::kFound) return OpenFailure::kNone;
  // With no machine folder a drive path names a file that does not exist.
  if (lookup == hosted::PathLookup::kMissing || (hosted::IsDrivePath(path) && hosted::MachineFolder() == nullptr)) {
    return OpenFailure::kMissing;
  }
  // A FIFO or device on a drive is refused before anything opens it.
  std::string named;
  if (hosted::LookUpPath(path, hosted::PathUse::kCreate, named) == hosted::PathLookup::kFound) {
    return OpenFailure::kNotRegular;
  }
  return OpenFailure::kRefused;
}

}  // namespace

bool NativeFile::Open(const char* path, Mode mode, const NativeFile* like) {
  Close();
  std::string hostPath;
  if (mode == Mode::kRead) {
    failure_ = Resolve(path, hosted::PathUse::kExisting, hostPath);
    if (failure_ != OpenFailure::kNone) return false;
    // Drive paths were resolved without links; a link put there since is not
    // followed.
    hosted::OpenedFile opened = hosted::OpenRegular(hostPath.c_str(), !hosted::IsDrivePath(path));
    switch (opened.found) {
      case hosted::Found::kRegular: handle_ = opened.fd; return true;
      case hosted::Found::kMissing: failure_ = OpenFailure::kMissing; break;
      case hosted::Found::kNotRegular: failure_ = OpenFailure::kNotRegular; break;
      case hosted::Found::kFailed: failure_ = FailureOf(errno); break;
    }
    return false;
  }

  failure_ = Resolve(path, hosted::PathUse::kNewName, hostPath);
  if (failure_ != OpenFailure::kNone) return false;
  HostFiles& files = Machine::CurrentFiles();
  failure_ = ClearName(files, hostPath);
  if (failure_ != OpenFailure::kNone) return false;
  struct stat model {};
  bool copyModel = like != nullptr && like->IsOpen() && ::fstat(static_cast<int>(like->handle_), &model) == 0;
  // Created with no more permission than the model's, so nothing the old
  // file kept private is ever readable through the new one.
  mode_t createMode = copyModel ? (model.st_mode & 0777) : kNewFileMode;
  int fd = files.CreateNew(hostPath, createMode);
  if (fd < 0) {
    failure_ = FailureOf(errno);
    return false;
  }
  if (copyModel) {
    // A read-only file is never replaced, so a copy of it stays writable, as
    // a new file on Windows is.
    mode_t bits = model.st_mode & 07777;
    if (!HasWriteBit(bits)) bits |= S_IWUSR;
    // Either may be refused (another owner, a file system without them); the
    // file then has at most the model's bits.
    [[maybe_unused]] bool owned = ::fchown(fd, model.st_uid, model.st_gid) == 0;
    [[maybe_unused]] bool moded = ::fchmod(fd, bits) == 0;
  }
  handle_ = fd;
  return true;
}

std::int64_t NativeFile::Read(void* data, std::size_t size) {
  if (!IsOpen()) return -1;
  return hosted::ReadRetrying(static_cast<int>(handle_), data, size);
}

bool NativeFile::Write(const void* data, std::size_t size) {
  return IsOpen() && hosted::WriteAll(static_cast<int>(handle_), data, size);
}

bool NativeFile::Seek(std::int64_t offset) {
  return IsOpen() && ::lseek(static_cast<int>(handle_), offset, SEEK_SET) == offset;
}

bool NativeFile::Sync() { return IsOpen() && ::fsync(static_cast<int>(handle_)) == 0; }

bool NativeFile::Close() {
  if (!IsOpen()) return true;
  int fd = static_cast<int>(handle_);
  handle_ = kClosed;
  return ::close(fd) == 0;
}

bool RemoveNativeFile(const char* path) {
  std::string hostPath = RemovableHostPath(path);
  return !hostPath.empty() && Machine::CurrentFiles().Unlink(hostPath);
}

bool RenameNativeFile(const char* from, const char* to) {
  std::string hostFrom;
  std::string hostTo;
  if (!hosted::ResolvePath(from, hosted::PathUse::kExisting, hostFrom)) return false;
  if (!hosted::ResolvePath(to, hosted::PathUse::kCreate, hostTo)) return false;
  if (!Machine::CurrentFiles().Rename(hostFrom, hostTo, false)) return false;
  hosted::SyncFolderOf(hostTo);
  return true;
}

MoveResult ReplaceNativeFile(const char* from, const char* to, bool refused) {
  std::string hostTo = RemovableHostPath(to);
  if (hostTo.empty()) return MoveResult::kNotDeletable;
  std::string hostFrom;
  if (refused || !hosted::ResolvePath(from, hosted::PathUse::kExisting, hostFrom)) return MoveResult::kFailed;
  if (!Machine::CurrentFiles().Rename(hostFrom, hostTo, true)) return MoveResult::kFailed;
  hosted::SyncFolderOf(hostTo);
  return MoveResult::kMoved;
}

}  // namespace platform
