#include "platform/hosted/host_file.h"

#include <array>
#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "platform/fault.h"

namespace platform::hosted {
namespace {

class Descriptor {
 public:
  explicit Descriptor(int fd) : fd_(fd) {}
  ~Descriptor() { Close(); }
  Descriptor(const Descriptor&) = delete;
  Descriptor& operator=(const Descriptor&) = delete;
  int Get() const { return fd_; }
  bool Close() {
    if (fd_ < 0) return true;
    int fd = fd_;
    fd_ = -1;
    return ::close(fd) == 0;
  }

 private:
  int fd_;
};

int OpenRetrying(const char* path, int flags, mode_t mode = 0) {
  int fd;
  do {
    fd = ::open(path, flags | O_CLOEXEC, mode);
  } while (fd < 0 && errno == EINTR);
  return fd;
}

bool WriteAll(int fd, std::string_view bytes) {
  while (!bytes.empty()) {
    ssize_t put = ::write(fd, bytes.data(), bytes.size());
    if (put < 0 && errno == EINTR) continue;
    if (put <= 0) return false;
    bytes.remove_prefix(static_cast<std::size_t>(put));
  }
  return true;
}

bool WriteScratch(const std::string& path, const std::string& scratchPath, std::string_view bytes) {
  struct stat info {};
  mode_t mode = ::stat(path.c_str(), &info) == 0 ? (info.st_mode & 07777) : 0666;
  if (ShouldFail(FileOp::kOpen, scratchPath.c_str())) return false;
  Descriptor scratch(OpenRetrying(scratchPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_NOFOLLOW, 0600));
  if (scratch.Get() < 0) return false;
  if (ShouldFail(FileOp::kWrite, scratchPath.c_str()) || !WriteAll(scratch.Get(), bytes)) return false;
  // The replaced file keeps its permission bits.
  if (::fchmod(scratch.Get(), mode) != 0) return false;
  if (ShouldFail(FileOp::kFlush, scratchPath.c_str()) || ::fsync(scratch.Get()) != 0) return false;
  return scratch.Close();
}

// The rename itself is on stable storage once the folder is.
void SyncFolderOf(const std::string& path) {
  std::size_t slash = path.rfind('/');
  std::string folder = slash == std::string::npos ? "." : path.substr(0, slash == 0 ? 1 : slash);
  Descriptor dir(OpenRetrying(folder.c_str(), O_RDONLY | O_DIRECTORY));
  if (dir.Get() >= 0) ::fsync(dir.Get());
}

}  // namespace

ReadResult ReadHostFile(const std::string& path, std::string& bytes) {
  bytes.clear();
  // The machine's records are never links: a copied tree cannot point them outside.
  Descriptor file(OpenRetrying(path.c_str(), O_RDONLY | O_NOFOLLOW));
  if (file.Get() < 0) return errno == ENOENT || errno == ENOTDIR ? ReadResult::kMissing : ReadResult::kError;
  struct stat info {};
  if (::fstat(file.Get(), &info) != 0 || S_ISDIR(info.st_mode)) return ReadResult::kError;
  std::array<char, 64 * 1024> buffer{};
  while (true) {
    ssize_t got = ::read(file.Get(), buffer.data(), buffer.size());
    if (got < 0 && errno == EINTR) continue;
    if (got < 0) return ReadResult::kError;
    if (got == 0) return ReadResult::kRead;
    bytes.append(buffer.data(), static_cast<std::size_t>(got));
  }
}

bool ReplaceHostFile(const std::string& path, const std::string& scratchPath, std::string_view bytes) {
  bool renamed = WriteScratch(path, scratchPath, bytes) && !ShouldFail(FileOp::kRename, scratchPath.c_str()) &&
                 std::rename(scratchPath.c_str(), path.c_str()) == 0;
  if (!renamed) {
    ::unlink(scratchPath.c_str());
    return false;
  }
  SyncFolderOf(path);
  return true;
}

}  // namespace platform::hosted
