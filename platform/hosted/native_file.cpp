// Raw files on the host, behind the machine folder's path rules.
#include "platform/native_file.h"

#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

#include "platform/hosted/changes.h"
#include "platform/hosted/machine_paths.h"

namespace platform {
namespace {

// A file without any write bit is read-only, as on a FAT disk; this holds
// for root too, who could otherwise write it.
bool IsReadOnly(const std::string& hostPath) {
  struct stat info {};
  return ::stat(hostPath.c_str(), &info) == 0 && (info.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0;
}

}  // namespace

bool NativeFile::Open(const char* path, Mode mode) {
  Close();
  std::string hostPath;
  hosted::PathUse use = mode == Mode::kRead ? hosted::PathUse::kExisting : hosted::PathUse::kCreate;
  if (!hosted::ResolvePath(path, use, hostPath)) return false;
  if (mode == Mode::kWrite && IsReadOnly(hostPath)) return false;
  int flags = mode == Mode::kRead    ? O_RDONLY
              : mode == Mode::kWrite ? (O_WRONLY | O_CREAT | O_TRUNC)
                                     : (O_WRONLY | O_CREAT | O_EXCL);
  // Drive paths were resolved without links; a link put there since is not followed.
  if (hosted::IsDrivePath(path)) flags |= O_NOFOLLOW;
  if (mode != Mode::kRead) hosted::NoteChangeAhead(hostPath);
  int fd;
  do {
    fd = ::open(hostPath.c_str(), flags | O_CLOEXEC, 0666);
  } while (fd < 0 && errno == EINTR);
  if (fd < 0) return false;
  struct stat info {};
  if (::fstat(fd, &info) != 0 || S_ISDIR(info.st_mode)) {
    ::close(fd);
    return false;
  }
  handle_ = fd;
  return true;
}

std::int64_t NativeFile::Read(void* data, std::size_t size) {
  if (!IsOpen()) return -1;
  ssize_t got;
  do {
    got = ::read(static_cast<int>(handle_), data, size);
  } while (got < 0 && errno == EINTR);
  return got;
}

bool NativeFile::Write(const void* data, std::size_t size) {
  if (!IsOpen()) return false;
  const char* bytes = static_cast<const char*>(data);
  while (size > 0) {
    ssize_t put = ::write(static_cast<int>(handle_), bytes, size);
    if (put < 0 && errno == EINTR) continue;
    if (put <= 0) return false;
    bytes += put;
    size -= static_cast<std::size_t>(put);
  }
  return true;
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
  std::string hostPath;
  if (!hosted::ResolvePath(path, hosted::PathUse::kExisting, hostPath)) return false;
  struct stat info {};
  if (::lstat(hostPath.c_str(), &info) != 0 || S_ISDIR(info.st_mode)) return false;
  if (IsReadOnly(hostPath)) return false;
  hosted::NoteChangeAhead(hostPath);
  return ::unlink(hostPath.c_str()) == 0;
}

bool RenameNativeFile(const char* from, const char* to) {
  std::string hostFrom;
  std::string hostTo;
  if (!hosted::ResolvePath(from, hosted::PathUse::kExisting, hostFrom)) return false;
  if (!hosted::ResolvePath(to, hosted::PathUse::kCreate, hostTo)) return false;
  hosted::NoteChangeAhead(hostFrom);
  hosted::NoteChangeAhead(hostTo);
  if (::renameat2(AT_FDCWD, hostFrom.c_str(), AT_FDCWD, hostTo.c_str(), RENAME_NOREPLACE) == 0) {
    return true;
  }
  if (errno != EINVAL && errno != ENOSYS) return false;
  // A file system without that flag: a hard link never replaces either.
  if (::link(hostFrom.c_str(), hostTo.c_str()) != 0) return false;
  return ::unlink(hostFrom.c_str()) == 0;
}

}  // namespace platform
