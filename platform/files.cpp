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

ReplaceResult ReplaceFile(const char* from, const char* to) {
  if (ShouldFail(FileOp::kDelete, to) || !CanRemoveNativeFile(to)) return ReplaceResult::kNotDeletable;
  MoveResult moved = ShouldFail(FileOp::kReplace, to) ? MoveResult::kNotImplemented
                     : ShouldFail(FileOp::kRename, from) ? MoveResult::kFailed
                                                         : ReplaceNativeFile(from, to);
  switch (moved) {
    case MoveResult::kMoved: return ReplaceResult::kReplaced;
    case MoveResult::kFailed: return ReplaceResult::kMoveFailed;
    case MoveResult::kNotImplemented: break;
  }
  if (!RemoveFile(to)) return ReplaceResult::kNotDeletable;
  return RenameFile(from, to) ? ReplaceResult::kReplaced : ReplaceResult::kMoveFailed;
}

}  // namespace platform
