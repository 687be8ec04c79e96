#include <windows.h>

#include "tools/profctl/file_facts.h"

namespace profctl {

FileFacts LookAt(const char* path) {
  FileFacts facts;
  DWORD attributes = GetFileAttributesA(path);
  if (attributes == INVALID_FILE_ATTRIBUTES) {
    if (GetLastError() == ERROR_ACCESS_DENIED) facts.presence = Presence::kDenied;
    return facts;
  }
  if ((attributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
    facts.presence = Presence::kOther;
    return facts;
  }
  facts.presence = Presence::kRegular;
  facts.readOnly = (attributes & FILE_ATTRIBUTE_READONLY) != 0;
  HANDLE file = CreateFileA(path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                            nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return facts;
  if (GetFileType(file) == FILE_TYPE_DISK) {
    facts.readable = true;
  } else {
    facts.presence = Presence::kOther;
  }
  CloseHandle(file);
  return facts;
}

}  // namespace profctl
