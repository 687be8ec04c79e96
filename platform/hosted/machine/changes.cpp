#include "platform/hosted/machine/changes.h"

#include <algorithm>
#include <sys/stat.h>
#include <vector>

namespace platform::hosted {
namespace {

// What stands at a name, as far as telling a change goes: another inode,
// size, content time or status time means the name now holds something else.
struct Standing {
  bool exists = false;
  dev_t device = 0;
  ino_t inode = 0;
  mode_t mode = 0;
  off_t size = 0;
  timespec modified{};
  timespec changed{};

  bool operator==(const Standing& other) const {
    if (exists != other.exists) return false;
    if (!exists) return true;
    return device == other.device && inode == other.inode && mode == other.mode && size == other.size &&
           modified.tv_sec == other.modified.tv_sec && modified.tv_nsec == other.modified.tv_nsec &&
           changed.tv_sec == other.changed.tv_sec && changed.tv_nsec == other.changed.tv_nsec;
  }
};

Standing Look(const std::string& hostPath) {
  struct stat info {};
  if (::lstat(hostPath.c_str(), &info) != 0) return {};
  return {true, info.st_dev, info.st_ino, info.st_mode, info.st_size, info.st_mtim, info.st_ctim};
}

struct Note {
  std::string path;
  Standing before;
};

bool gWatching = false;

std::vector<Note>& Notes() {
  static std::vector<Note> notes;
  return notes;
}

}  // namespace

void WatchChanges() { gWatching = true; }

void NoteChangeAhead(const std::string& hostPath) {
  if (!gWatching) return;
  std::vector<Note>& notes = Notes();
  bool known = std::any_of(notes.begin(), notes.end(), [&](const Note& note) { return note.path == hostPath; });
  if (!known) notes.push_back({hostPath, Look(hostPath)});
}

bool MachineChanged() {
  const std::vector<Note>& notes = Notes();
  return std::any_of(notes.begin(), notes.end(), [](const Note& note) { return !(Look(note.path) == note.before); });
}

void ForgetChanges() {
  Notes().clear();
  gWatching = false;
}

}  // namespace platform::hosted
