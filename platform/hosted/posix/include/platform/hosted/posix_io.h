// The POSIX I/O every hosted file goes through: calls tried again when a
// signal interrupts them, a descriptor that closes itself, folder syncs.
#ifndef CPUNINST_PLATFORM_HOSTED_POSIX_IO_H
#define CPUNINST_PLATFORM_HOSTED_POSIX_IO_H

#include <cstddef>
#include <cstdint>
#include <string>
#include <sys/stat.h>
#include <sys/types.h>

namespace platform::hosted {

// open(2) with O_CLOEXEC added, tried again when a signal interrupts it.
int OpenRetrying(const char* path, int flags, mode_t mode = 0);

// A file without any write bit is read-only, as on a FAT disk; this holds
// for root too, who could otherwise write it.
inline constexpr mode_t kWriteBits = S_IWUSR | S_IWGRP | S_IWOTH;
constexpr bool HasWriteBit(mode_t mode) { return (mode & kWriteBits) != 0; }

// What opening a file to read found.
enum class Found { kRegular, kMissing, kNotRegular, kFailed };
struct OpenedFile {
  int fd = -1;  // open only when found is kRegular
  Found found = Found::kFailed;
  std::int64_t size = 0;
};

// Opens a regular file for reading. A FIFO or device is never waited on nor
// made the controlling terminal, and is refused like a folder or socket;
// without followLinks a symbolic link is refused too.
OpenedFile OpenRegular(const char* path, bool followLinks);

// Creates a new file, never through a link or over what exists.
int CreateNewRetrying(const char* path, mode_t mode);

// read(2) tried again when a signal interrupts it: bytes read, 0 at the end,
// -1 on an error.
ssize_t ReadRetrying(int fd, void* data, std::size_t size);

// Writes every byte, however many write(2) calls that takes. False on an
// error or a write that makes no progress.
bool WriteAll(int fd, const void* data, std::size_t size);

// Puts the folder that holds path on stable storage, so that a rename or a
// new name in it is there after a crash. Best effort: a folder that cannot
// be opened or synced changes nothing for the caller.
void SyncFolderOf(const std::string& path);

// An open descriptor, closed when it goes.
class Descriptor {
 public:
  explicit Descriptor(int fd) : fd_(fd) {}
  ~Descriptor() { Close(); }
  Descriptor(const Descriptor&) = delete;
  Descriptor& operator=(const Descriptor&) = delete;
  int Get() const { return fd_; }
  // Gives the descriptor up without closing it.
  int Release() {
    int fd = fd_;
    fd_ = -1;
    return fd;
  }
  // False when the system reports an error while closing.
  bool Close();

 private:
  int fd_;
};

}  // namespace platform::hosted

#endif  // CPUNINST_PLATFORM_HOSTED_POSIX_IO_H
