// What a run changed on the machine, for cpuninst's closing line: a wrapper
// around the host's name-changing calls that notes each name just before
// the call changes it, keeping what stood there at its first note. A scratch
// file made and removed again is therefore no change, and a file edited,
// deleted or moved is one, however it got there. The program installs it on
// its machine (Machine::SetFiles); nothing else keeps notes.
#ifndef CPUNINST_PLATFORM_HOSTED_MACHINE_CHANGE_NOTES_H
#define CPUNINST_PLATFORM_HOSTED_MACHINE_CHANGE_NOTES_H

#include <string>
#include <sys/stat.h>
#include <vector>

#include "platform/hosted/host_files.h"

namespace platform::hosted {

class ChangeNotes : public HostFiles {
 public:
  explicit ChangeNotes(HostFiles& target) : target_(target) {}

  int CreateNew(const std::string& hostPath, mode_t mode) override;
  bool Unlink(const std::string& hostPath) override;
  bool Rename(const std::string& from, const std::string& to, bool replace) override;

  // Notes a name as one about to change.
  void NoteAhead(const std::string& hostPath);
  // Whether any noted name now holds something other than what stood there
  // (nothing where a file was, a file where nothing was, or another file or
  // other bytes at the name).
  bool Changed() const;

 private:
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
    bool operator==(const Standing& other) const;
  };
  struct Note {
    std::string path;
    Standing before;
  };
  static Standing Look(const std::string& hostPath);

  HostFiles& target_;
  std::vector<Note> notes_;
};

}  // namespace platform::hosted

#endif  // CPUNINST_PLATFORM_HOSTED_MACHINE_CHANGE_NOTES_H
