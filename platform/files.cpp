#include "platform/files.h"

#include "platform/fault.h"
#include "platform/native_file.h"
#include "platform/text_file.h"

namespace platform {
namespace {

struct Placed {
  ReplaceResult result;
  bool targetGone;  // the delete-then-rename deleted the target and the rename failed
};

Placed Replace(const char* from, const char* to) {
  if (ShouldFail(FileOp::kDelete, to)) return {ReplaceResult::kNotDeletable, false};
  // A refused kReplace plays a system without the one-step move.
  MoveResult moved = ShouldFail(FileOp::kReplace, to)
                         ? MoveResult::kNotImplemented
                         : ReplaceNativeFile(from, to, ShouldFail(FileOp::kRename, from));
  switch (moved) {
    case MoveResult::kMoved: return {ReplaceResult::kReplaced, false};
    case MoveResult::kNotDeletable: return {ReplaceResult::kNotDeletable, false};
    case MoveResult::kFailed: return {ReplaceResult::kMoveFailed, false};
    case MoveResult::kNotImplemented: break;
  }
  if (!RemoveFile(to)) return {ReplaceResult::kNotDeletable, false};
  if (RenameFile(from, to)) return {ReplaceResult::kReplaced, false};
  return {ReplaceResult::kMoveFailed, true};
}

}  // namespace

bool RemoveFile(const char* path) {
  if (ShouldFail(FileOp::kDelete, path)) return false;
  return RemoveNativeFile(path);
}

bool RenameFile(const char* from, const char* to) {
  if (ShouldFail(FileOp::kRename, from)) return false;
  return RenameNativeFile(from, to);
}

ReplaceResult ReplaceFile(const char* from, const char* to) { return Replace(from, to).result; }

CommitResult CommitNewFile(TextWriter& writer, const char* scratch, const char* target, Placing placing,
                           Leftover leftover) {
  // The new text must be on stable storage before the old file goes.
  bool written = !writer.Error() && writer.Flush();
  written = writer.Close() && written;
  CommitResult result = CommitResult::kWriteFailed;
  bool onlyCopy = false;
  if (written && placing == Placing::kNewName) {
    result = RenameFile(scratch, target) ? CommitResult::kCommitted : CommitResult::kMoveFailed;
  } else if (written) {
    Placed placed = Replace(scratch, target);
    onlyCopy = placed.targetGone;
    switch (placed.result) {
      case ReplaceResult::kReplaced: result = CommitResult::kCommitted; break;
      case ReplaceResult::kNotDeletable: result = CommitResult::kNotDeletable; break;
      case ReplaceResult::kMoveFailed: result = CommitResult::kMoveFailed; break;
    }
  }
  if (result != CommitResult::kCommitted && leftover == Leftover::kRemove && !onlyCopy) RemoveFile(scratch);
  return result;
}

void DropNewFile(TextWriter& writer, const char* scratch) {
  writer.Close();
  RemoveFile(scratch);
}

}  // namespace platform
