// A hostile disk beyond its entries (hostile.h): one that is full; and a
// watchdog, so a test that would block fails instead of hanging.
#ifndef CPUNINST_TESTS_SUPPORT_HOSTILE_DISK_H
#define CPUNINST_TESTS_SUPPORT_HOSTILE_DISK_H

#include <filesystem>
#include <string>

namespace test_support {

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
