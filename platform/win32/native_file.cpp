// Raw files over the Win32 file API, so the same calls work on Windows 95,
// NT and Wine.
#include "platform/native_file.h"

#include <algorithm>
#include <limits>

#include "platform/platform.h"

namespace platform {
namespace {

HANDLE AsHandle(std::intptr_t handle) { return reinterpret_cast<HANDLE>(handle); }

// One call moves at most this much, so a size_t never overflows a DWORD.
constexpr std::size_t kMaxTransfer = std::numeric_limits<DWORD>::max() / 2;

// GetVersion's high bit marks the Windows 95 family.
constexpr DWORD kNotNT = 0x80000000;

bool IsWindowsNT() { return (GetVersion() & kNotNT) == 0; }

// Whether DeleteFileA could delete the file as it stands now.
bool CanRemove(const char* path) {
  DWORD attributes = GetFileAttributesA(path);
  return attributes != INVALID_FILE_ATTRIBUTES &&
         (attributes & (FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_DIRECTORY)) == 0;
}

// Why CreateFileA refused a path. A folder (and, for a new file, a read-only
// file at its name) answers "access denied" as a refused permission does, so
// what stands there is looked at.
OpenFailure FailureOf(const char* path, NativeFile::Mode mode, DWORD error) {
  if (error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND) return OpenFailure::kMissing;
  if (error != ERROR_ACCESS_DENIED) return OpenFailure::kOther;
  DWORD attributes = GetFileAttributesA(path);
  if (attributes == INVALID_FILE_ATTRIBUTES) return OpenFailure::kDenied;
  if (mode == NativeFile::Mode::kCreate) return OpenFailure::kOther;
  return (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0 ? OpenFailure::kNotRegular : OpenFailure::kDenied;
}

}  // namespace

bool NativeFile::Open(const char* path, Mode mode, const NativeFile*) {
  Close();
  failure_ = OpenFailure::kNone;
  HANDLE handle;
  if (mode == Mode::kRead) {
    // Others may read what we read, as under the C runtime's fopen.
    handle = CreateFileA(path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                         OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (handle == INVALID_HANDLE_VALUE) {
      failure_ = FailureOf(path, mode, GetLastError());
    } else if (GetFileType(handle) != FILE_TYPE_DISK) {
      // A device (NUL, CON, COM1) or a pipe is not a file to read.
      CloseHandle(handle);
      handle = INVALID_HANDLE_VALUE;
      failure_ = OpenFailure::kNotRegular;
    }
  } else {
    // What stands at the name goes as a name; DeleteFileA refuses a folder
    // and a read-only file, and CREATE_NEW then fails on them.
    DeleteFileA(path);
    handle = CreateFileA(path, GENERIC_WRITE, FILE_SHARE_READ, nullptr, CREATE_NEW,
                         FILE_ATTRIBUTE_NORMAL, nullptr);
    if (handle == INVALID_HANDLE_VALUE) failure_ = FailureOf(path, mode, GetLastError());
  }
  if (handle == INVALID_HANDLE_VALUE) return false;
  handle_ = reinterpret_cast<std::intptr_t>(handle);
  return true;
}

std::int64_t NativeFile::Read(void* data, std::size_t size) {
  if (!IsOpen()) return -1;
  DWORD got = 0;
  if (!ReadFile(AsHandle(handle_), data, static_cast<DWORD>(std::min(size, kMaxTransfer)), &got,
                nullptr)) {
    return -1;
  }
  return got;
}

bool NativeFile::Write(const void* data, std::size_t size) {
  if (!IsOpen()) return false;
  const char* bytes = static_cast<const char*>(data);
  while (size > 0) {
    DWORD put = 0;
    if (!WriteFile(AsHandle(handle_), bytes, static_cast<DWORD>(std::min(size, kMaxTransfer)), &put,
                   nullptr) ||
        put == 0) {
      return false;
    }
    bytes += put;
    size -= put;
  }
  return true;
}

bool NativeFile::Seek(std::int64_t offset) {
  if (!IsOpen() || offset < 0) return false;
  LONG high = static_cast<LONG>(offset >> 32);
  DWORD low = SetFilePointer(AsHandle(handle_), static_cast<LONG>(offset & 0xFFFFFFFF), &high,
                             FILE_BEGIN);
  // The low half may legitimately be all ones; only the error code tells.
  return !(low == INVALID_SET_FILE_POINTER && GetLastError() != NO_ERROR);
}

bool NativeFile::Sync() { return IsOpen() && FlushFileBuffers(AsHandle(handle_)) != 0; }

bool NativeFile::Close() {
  if (!IsOpen()) return true;
  HANDLE handle = AsHandle(handle_);
  handle_ = kClosed;
  return CloseHandle(handle) != 0;
}

// DeleteFileA refuses a read-only file and a running program, as wanted.
bool RemoveNativeFile(const char* path) { return DeleteFileA(path) != 0; }

// MoveFileA never replaces an existing file.
bool RenameNativeFile(const char* from, const char* to) { return MoveFileA(from, to) != 0; }

// Windows NT and later replace in one step. Windows 95 (and 98 and Me, the
// systems whose GetVersion sets the high bit) has no such move: the caller
// deletes and renames there. Should MoveFileExA still answer that it is not
// implemented, the same path is taken.
MoveResult ReplaceNativeFile(const char* from, const char* to, bool refused) {
  if (!CanRemove(to)) return MoveResult::kNotDeletable;
  if (!IsWindowsNT()) return MoveResult::kNotImplemented;
  if (refused) return MoveResult::kFailed;
  if (MoveFileExA(from, to, MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != 0) {
    return MoveResult::kMoved;
  }
  return GetLastError() == ERROR_CALL_NOT_IMPLEMENTED ? MoveResult::kNotImplemented
                                                      : MoveResult::kFailed;
}

}  // namespace platform
