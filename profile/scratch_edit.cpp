#include "scratch_edit.h"

#include <algorithm>
#include <span>

#include "platform/files.h"
#include "scratch_name.h"

namespace profile {

EditStart ScratchEdit::Begin(const char* path, std::size_t lineBuffer) {
  std::span<char> room(scratch_.data(), std::min(lineBuffer, scratch_.size()));
  if (path == nullptr || BuildScratchName(room, path) != ScratchName::kBuilt) {
    return EditStart::kRefused;
  }
  path_ = path;
  if (!reader_.Open(path)) return EditStart::kNotReadable;
  // A new file that keeps the old one's permissions; nothing standing at the
  // scratch name is ever written through.
  if (!writer_.Create(scratch_.data(), &reader_.Text())) {
    reader_.Close();
    return EditStart::kNotCreatable;
  }
  reader_.PassTo(&writer_);
  return EditStart::kOpen;
}

bool ScratchEdit::Write(std::string_view text) {
  if (writeFailed_) return false;
  reader_.FlushPassed();
  if (!writer_.Write(text)) writeFailed_ = true;
  return !writeFailed_;
}

bool ScratchEdit::Admit() {
  if (!writeFailed_ && !writer_.Admit()) writeFailed_ = true;
  return !writeFailed_;
}

bool ScratchEdit::KeepRange(std::int64_t from, std::int64_t to) {
  if (!reader_.PassRange(from, to)) return false;
  if (writer_.Error()) writeFailed_ = true;
  return !writeFailed_;
}

bool ScratchEdit::Keep(std::string_view piece) {
  if (!Admit()) return false;
  reader_.Pass(piece);
  if (writer_.Error()) writeFailed_ = true;
  return !writeFailed_;
}

EditEnd ScratchEdit::Finish(bool changed) {
  bool readFailed = reader_.Error();
  reader_.Close();
  if (readFailed || !changed) {
    platform::DropNewFile(writer_, scratch_.data());
    return readFailed ? EditEnd::kReadFailed : EditEnd::kUnchanged;
  }
  // Whatever fails, the scratch file stays: after a failed move it holds
  // the new text, and the caller names it.
  switch (platform::CommitNewFile(writer_, scratch_.data(), path_, platform::Placing::kReplace,
                                  platform::Leftover::kKeep)) {
    case platform::CommitResult::kCommitted: return EditEnd::kCommitted;
    case platform::CommitResult::kWriteFailed: return EditEnd::kWriteFailed;
    case platform::CommitResult::kNotDeletable: return EditEnd::kDeleteFailed;
    case platform::CommitResult::kMoveFailed: break;
  }
  return EditEnd::kRenameFailed;
}

}  // namespace profile
