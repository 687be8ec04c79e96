#include "platform/hosted/machine/change_notes.h"

#include <algorithm>

namespace platform::hosted {

bool ChangeNotes::Standing::operator==(const Standing& other) const {
  if (exists != other.exists) return false;
  if (!exists) return true;
  return device == other.device && inode == other.inode && mode == other.mode && size == other.size &&
         modified.tv_sec == other.modified.tv_sec && modified.tv_nsec == other.modified.tv_nsec &&
         changed.tv_sec == other.changed.tv_sec && changed.tv_nsec == other.changed.tv_nsec;
}

ChangeNotes::Standing ChangeNotes::Look(const std::string& hostPath) {
  struct stat info {};
  if (::lstat(hostPath.c_str(), &info) != 0) return {};
  return {true, info.st_dev, info.st_ino, info.st_mode, info.st_size, info.st_mtim, info.st_ctim};
}

int ChangeNotes::CreateNew(const std::string& hostPath, mode_t mode) {
  NoteAhead(hostPath);
  return target_.CreateNew(hostPath, mode);
}

bool ChangeNotes::Unlink(const std::string& hostPath) {
  NoteAhead(hostPath);
  return target_.Unlink(hostPath);
}

bool ChangeNotes::Rename(const std::string& from, const std::string& to, bool replace) {
  NoteAhead(from);
  NoteAhead(to);
  return target_.Rename(from, to, replace);
}

void ChangeNotes::NoteAhead(const std::string& hostPath) {
  bool known = std::any_of(notes_.begin(), notes_.end(), [&](const Note& note) { return note.path == hostPath; });
  if (!known) notes_.push_back({hostPath, Look(hostPath)});
}

bool ChangeNotes::Changed() const {
  return std::any_of(notes_.begin(), notes_.end(), [](const Note& note) { return !(Look(note.path) == note.before); });
}

}  // namespace platform::hosted
