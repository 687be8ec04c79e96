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
  // The new text must be on stable storage before the old file goes.
  if (changed && !readFailed && !writeFailed_ && !writer_.Flush()) writeFailed_ = true;
  if (!writer_.Close()) writeFailed_ = true;

  if (readFailed || !changed) {
    platform::RemoveFile(scratch_.data());
    return readFailed ? EditEnd::kReadFailed : EditEnd::kUnchanged;
  }
  if (writeFailed_) return EditEnd::kWriteFailed;
  switch (platform::ReplaceFile(scratch_.data(), path_)) {
    case platform::ReplaceResult::kReplaced: return EditEnd::kCommitted;
    case platform::ReplaceResult::kNotDeletable: return EditEnd::kDeleteFailed;
    case platform::ReplaceResult::kMoveFailed: break;
  }
  return EditEnd::kRenameFailed;
}

}  // namespace profile
