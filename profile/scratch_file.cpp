// The edit's scratch file: created new beside the file when the edit begins,
// and when it ends dropped, left, or committed in the file's place.
#include <algorithm>
#include <span>

#include "edit_scan.h"
#include "last_result.h"
#include "platform/files.h"
#include "scratch_name.h"

namespace profile {
namespace {

ProfileResult Refusal(ScratchName name) {
  switch (name) {
    case ScratchName::kNoDot: return PROFILE_NO_DOT;
    case ScratchName::kTooLong: return PROFILE_SCRATCH_TOO_LONG;
    case ScratchName::kIsScratch: return PROFILE_IS_SCRATCH;
    case ScratchName::kBuilt: break;
  }
  return PROFILE_OK;
}

}  // namespace

bool EditScan::Begin(const char* path, std::size_t lineBuffer) {
  if (path == nullptr) {
    SetLastResult(PROFILE_INVALID_ARGUMENT);
    return false;
  }
  std::span<char> room(scratch_.data(), std::min(lineBuffer, scratch_.size()));
  if (ProfileResult refused = Refusal(BuildScratchName(room, path)); refused != PROFILE_OK) {
    SetLastResult(refused);
    return false;
  }
  path_ = path;
  if (!reader_.Open(path)) {
    SetLastResult(OpenResult(reader_.Text().Failure()));
    return false;
  }
  // A new file that keeps the old one's permissions; nothing standing at the
  // scratch name is ever written through.
  if (!writer_.Create(scratch_.data(), &reader_.Text())) {
    reader_.Close();
    const bool denied = writer_.Failure() == platform::OpenFailure::kDenied;
    SetLastResult(denied ? PROFILE_DENIED : PROFILE_SCRATCH_NOT_CREATED);
    return false;
  }
  reader_.Text().Watch(LetGoOfHeldBytes, this);
  return true;
}

EditEnd EditScan::Finish(bool changed, ProfileResult unchanged) {
  FlushPassed();
  reader_.Text().Watch(nullptr, nullptr);
  const bool readFailed = reader_.Error();
  reader_.Close();

  EditEnd end = EditEnd::kWriteFailed;
  if (readFailed || !changed) {
    if (!writer_.Close()) writeFailed_ = true;
    platform::DropNewFile(writer_, scratch_.data());
    end = readFailed ? EditEnd::kReadFailed : EditEnd::kUnchanged;
  } else if (writeFailed_) {
    // A failed write leaves the scratch file where it is.
    writer_.Close();
  } else {
    // Whatever fails, the scratch file stays: after a failed move it holds
    // the new text, and the caller names it.
    switch (platform::CommitNewFile(writer_, scratch_.data(), path_, platform::Placing::kReplace,
                                    platform::Leftover::kKeep)) {
      case platform::CommitResult::kCommitted: end = EditEnd::kCommitted; break;
      case platform::CommitResult::kWriteFailed: writeFailed_ = true; break;
      case platform::CommitResult::kNotDeletable:
      case platform::CommitResult::kMoveFailed: end = EditEnd::kNotReplaced; break;
    }
  }

  switch (end) {
    case EditEnd::kCommitted: SetLastResult(PROFILE_OK); break;
    case EditEnd::kUnchanged: SetLastResult(writeFailed_ ? PROFILE_WRITE_FAILED : unchanged); break;
    case EditEnd::kReadFailed: SetLastResult(PROFILE_READ_ERROR); break;
    case EditEnd::kWriteFailed: SetLastResult(PROFILE_WRITE_FAILED); break;
    case EditEnd::kNotReplaced: SetLastResult(PROFILE_NOT_REPLACED); break;
  }
  return end;
}

}  // namespace profile
