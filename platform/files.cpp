#include "platform/files.h"

#include "platform/fault.h"
#include "platform/native_file.h"

namespace platform {

bool RemoveFile(const char* path) {
  if (ShouldFail(FileOp::kDelete, path)) return false;
  return RemoveNativeFile(path);
}

bool RenameFile(const char* from, const char* to) {
  if (ShouldFail(FileOp::kRename, from)) return false;
  return RenameNativeFile(from, to);
}

}  // namespace platform
