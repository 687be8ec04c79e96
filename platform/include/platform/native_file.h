// Raw files of the platform, one backend each (hosted/, win32/). Everything
// above this goes through text_file.h and files.h, which add DOS text mode and
// the fault seam.
#ifndef CPUNINST_PLATFORM_NATIVE_FILE_H
#define CPUNINST_PLATFORM_NATIVE_FILE_H

#include <cstddef>
#include <cstdint>

namespace platform {

// Why an open failed, as far as the system said.
enum class OpenFailure {
  kNone,
  kMissing,     // no such file, or a folder on its way is missing
  kNotRegular,  // a folder, FIFO or device where a file should be
  kDenied,      // the system refused access (to the file, or to its folder)
  kRefused,     // a path the hosted machine folder refuses (a link, twin names)
  kOther,       // anything else: for a new file, whatever stands at its name
};

class NativeFile {
 public:
  enum class Mode {
    // An existing regular file. Anything else (a folder, a FIFO, a device)
    // fails at once, without blocking.
    kRead,
    // A new file: whatever stands at the name is removed as a name, never
    // opened or written through (a folder there, or a read-only file, makes
    // it fail); then the file is created exclusively, without following links.
    kCreate,
  };

  NativeFile() = default;
  ~NativeFile() { Close(); }
  NativeFile(const NativeFile&) = delete;
  NativeFile& operator=(const NativeFile&) = delete;

  // With kCreate, `like` (an open file) lends the new file its permissions
  // where the platform has them (hosted: mode bits, and owner and group
  // where the process may set them).
  // On failure, Failure() says why.
  bool Open(const char* path, Mode mode, const NativeFile* like = nullptr);
  bool IsOpen() const { return handle_ != kClosed; }
  OpenFailure Failure() const { return failure_; }

  // Bytes read (0 at the end of the file), or -1 on an error.
  std::int64_t Read(void* data, std::size_t size);
  bool Write(const void* data, std::size_t size);
  bool Seek(std::int64_t offset);
  // Puts what was written on stable storage.
  bool Sync();
  // False when the system reports an error while closing.
  bool Close();

 private:
  static constexpr std::intptr_t kClosed = -1;
  std::intptr_t handle_ = kClosed;
  OpenFailure failure_ = OpenFailure::kNone;
};

// Deletes a file; fails for a read-only one and for anything but a file.
bool RemoveNativeFile(const char* path);
// Renames a file; never replaces an existing one.
bool RenameNativeFile(const char* from, const char* to);

enum class MoveResult { kMoved, kNotDeletable, kFailed, kNotImplemented };
// Moves a file onto an existing one in one step, so that the name always
// holds one of the two. The existing one must be a file RemoveNativeFile
// could delete (kNotDeletable otherwise, checked first); refused makes the
// move itself fail as if the system had refused it. kNotImplemented where the
// system has no such move.
MoveResult ReplaceNativeFile(const char* from, const char* to, bool refused);

}  // namespace platform

#endif  // CPUNINST_PLATFORM_NATIVE_FILE_H
