#include "hostile_disk.h"

#include <sys/mount.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <fstream>
#include <string>

namespace test_support {
namespace fs = std::filesystem;

SmallDisk::SmallDisk(const fs::path& folder, std::size_t bytes) : folder_(folder) {
  fs::create_directories(folder_);
  if (::geteuid() != 0) {
    note_ = "not root: no small disk can be mounted, disk-full case skipped";
    return;
  }
  std::string options = "size=" + std::to_string(bytes) + ",mode=0755";
  if (::mount("tmpfs", folder_.c_str(), "tmpfs", 0, options.c_str()) != 0) {
    note_ = std::string("cannot mount a small tmpfs (") + std::strerror(errno) + "): disk-full case skipped";
    return;
  }
  mounted_ = true;
}

SmallDisk::~SmallDisk() {
  if (mounted_) ::umount2(folder_.c_str(), MNT_DETACH);
}

void SmallDisk::Fill(const fs::path& filler) const {
  std::ofstream out(filler, std::ios::binary);
  const std::string block(4096, 'f');
  while (out.write(block.data(), static_cast<std::streamsize>(block.size()))) out.flush();
  // Whatever is left below one block goes byte by byte.
  out.clear();
  while (out.put('f') && out.flush()) {
  }
}

Watchdog::Watchdog(unsigned seconds) { ::alarm(seconds); }
Watchdog::~Watchdog() { ::alarm(0); }

}  // namespace test_support
