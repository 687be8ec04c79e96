#include "platform/hosted/posix_io.h"

#include <cerrno>
#include <fcntl.h>
#include <unistd.h>

namespace platform::hosted {

int OpenRetrying(const char* path, int flags, mode_t mode) {
  int fd;
  do {
    fd = ::open(path, flags | O_CLOEXEC, mode);
  } while (fd < 0 && errno == EINTR);
  return fd;
}

OpenedFile OpenRegular(const char* path, bool followLinks) {
  OpenedFile opened;
  Descriptor file(OpenRetrying(path, O_RDONLY | O_NONBLOCK | O_NOCTTY | (followLinks ? 0 : O_NOFOLLOW)));
  if (file.Get() < 0) {
    // ELOOP: a symbolic link not followed; ENXIO: a socket or a device
    // without its driver.
    if (errno == ENOENT || errno == ENOTDIR) opened.found = Found::kMissing;
    else if (errno == ELOOP || errno == ENXIO) opened.found = Found::kNotRegular;
    return opened;
  }
  struct stat info {};
  if (::fstat(file.Get(), &info) != 0) return opened;
  if (!S_ISREG(info.st_mode)) {
    opened.found = Found::kNotRegular;
    return opened;
  }
  opened.found = Found::kRegular;
  opened.size = info.st_size;
  opened.fd = file.Release();
  return opened;
}

int CreateNewRetrying(const char* path, mode_t mode) {
  return OpenRetrying(path, O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW, mode);
}

ssize_t ReadRetrying(int fd, void* data, std::size_t size) {
  ssize_t got;
  do {
    got = ::read(fd, data, size);
  } while (got < 0 && errno == EINTR);
  return got;
}

bool WriteAll(int fd, const void* data, std::size_t size) {
  const char* bytes = static_cast<const char*>(data);
  while (size > 0) {
    ssize_t put = ::write(fd, bytes, size);
    if (put < 0 && errno == EINTR) continue;
    if (put <= 0) return false;
    bytes += put;
    size -= static_cast<std::size_t>(put);
  }
  return true;
}

void SyncFolderOf(const std::string& path) {
  std::size_t slash = path.rfind('/');
  std::string folder = slash == std::string::npos ? "." : path.substr(0, slash == 0 ? 1 : slash);
  Descriptor folderFd(OpenRetrying(folder.c_str(), O_RDONLY | O_DIRECTORY));
  if (folderFd.Get() < 0) return;
  ::fsync(folderFd.Get());
}

bool Descriptor::Close() {
  if (fd_ < 0) return true;
  int fd = fd_;
  fd_ = -1;
  return ::close(fd) == 0;
}

}  // namespace platform::hosted
