// A hostile disk beyond its entries (hostile.h): one that is full; and a
// watchdog, so a test that would block fails instead of hanging.
#ifndef CPUNINST_TESTS_SUPPORT_HOSTILE_DISK_H
#define CPUNINST_TESTS_SUPPORT_HOSTILE_DISK_H

#include <filesystem>
#include <ostream>
#include <string>
#include <vector>

namespace test_support {

// What may stand at the name a new file (a scratch file) is to take, made
// by make(at, target) with `target` an existing file elsewhere; make answers
// false where this system or user cannot make it (a device without the
// privilege), and the case is skipped.
struct AtANewName {
  const char* name;
  bool (*make)(const std::filesystem::path& at, const std::filesystem::path& target);
  bool takesTheName;  // false: a new file cannot be made there, and it stays
};
// Nothing, a stale file, links (to the target, dangling, to /dev/zero), a
// hard link to the target, a FIFO, a socket, a device; a folder and a
// read-only file, which refuse the new file.
const std::vector<AtANewName>& ThingsAtANewName();
inline void PrintTo(const AtANewName& thing, std::ostream* out) { *out << thing.name; }

// What may stand where a file is expected and is no regular file: made by
// make(at), which answers false where this system or user cannot make it.
struct NotAFile {
  const char* name;
  bool (*make)(const std::filesystem::path& at);
};
// A folder, a FIFO, a device, a socket, links to /dev/zero and to a folder.
const std::vector<NotAFile>& ThingsWhereAFileShouldBe();
inline void PrintTo(const NotAFile& thing, std::ostream* out) { *out << thing.name; }

// A small tmpfs mounted at a folder for the object's life: the disk-full
// case. Only root may mount; Mounted() then says false and Note() why.
class SmallDisk {
 public:
  SmallDisk(const std::filesystem::path& folder, std::size_t bytes);
  ~SmallDisk();
  SmallDisk(const SmallDisk&) = delete;
  SmallDisk& operator=(const SmallDisk&) = delete;

  bool Mounted() const { return mounted_; }
  const std::string& Note() const { return note_; }
  // Fills what is left with one file, so the next write fails.
  void Fill(const std::filesystem::path& filler) const;

 private:
  std::filesystem::path folder_;
  bool mounted_ = false;
  std::string note_;
};

// Ends the process (SIGALRM) when the object outlives `seconds`: a call that
// blocks fails the test instead of hanging it.
class Watchdog {
 public:
  explicit Watchdog(unsigned seconds);
  ~Watchdog();
  Watchdog(const Watchdog&) = delete;
  Watchdog& operator=(const Watchdog&) = delete;
};

}  // namespace test_support

#endif  // CPUNINST_TESTS_SUPPORT_HOSTILE_DISK_H
