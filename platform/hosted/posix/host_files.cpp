#include "platform/hosted/host_files.h"

#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <unistd.h>

#include "platform/hosted/posix_io.h"

namespace platform::hosted {

int HostFiles::CreateNew(const std::string& hostPath, mode_t mode) {
  return CreateNewRetrying(hostPath.c_str(), mode);
}

bool HostFiles::Unlink(const std::string& hostPath) { return ::unlink(hostPath.c_str()) == 0; }

bool HostFiles::Rename(const std::string& from, const std::string& to, bool replace) {
  if (replace) return std::rename(from.c_str(), to.c_str()) == 0;
  if (::renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE) == 0) return true;
  if (errno != EINVAL && errno != ENOSYS) return false;
  // A file system without that flag: a hard link never replaces either.
  return ::link(from.c_str(), to.c_str()) == 0 && ::unlink(from.c_str()) == 0;
}

HostFiles& HostFiles::Plain() {
  static HostFiles plain;
  return plain;
}

}  // namespace platform::hosted
