// Raw files of the platform, one backend each (hosted/, win32/). Everything
// above this goes through text_file.h and files.h, which add DOS text mode and
// the fault seam.
#ifndef CPUNINST_PLATFORM_NATIVE_FILE_H
#define CPUNINST_PLATFORM_NATIVE_FILE_H

#include <cstddef>
#include <cstdint>

namespace platform {

class NativeFile {
 public:
  enum class Mode {
    kRead,
    kWrite,      // creates the file, or empties it when it exists
    kCreateNew,  // creates the file; fails when it exists
  };

  NativeFile() = default;
  ~NativeFile() { Close(); }
  NativeFile(const NativeFile&) = delete;
  NativeFile& operator=(const NativeFile&) = delete;

  bool Open(const char* path, Mode mode);
  bool IsOpen() const { return handle_ != kClosed; }

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
};

// Deletes a file; fails for a read-only one.
bool RemoveNativeFile(const char* path);
// Renames a file; never replaces an existing one.
bool RenameNativeFile(const char* from, const char* to);

}  // namespace platform

#endif  // CPUNINST_PLATFORM_NATIVE_FILE_H
