#include "hostile_disk.h"

#include "hostile.h"

#include <sys/mount.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <fstream>
#include <string>

namespace test_support {
namespace fs = std::filesystem;

namespace {

template <Hostile kKind>
bool Place(const fs::path& at, const fs::path& target) {
  return PlaceHostile(at, kKind, target);
}

template <Hostile kKind>
bool PlaceAlone(const fs::path& at) {
  return PlaceHostile(at, kKind, {});
}

}  // namespace

const std::vector<NotAFile>& ThingsWhereAFileShouldBe() {
  static const std::vector<NotAFile> things = {
      {"Folder", PlaceAlone<Hostile::kFolder>},
      {"Fifo", PlaceAlone<Hostile::kFifo>},
      {"Device", PlaceAlone<Hostile::kDevice>},
      {"Socket", PlaceAlone<Hostile::kSocket>},
      {"LinkToDevZero", PlaceAlone<Hostile::kLinkToZero>},
      {"LinkToAFolder", [](const fs::path& at) {
         std::error_code error;
         fs::create_directory_symlink("/", at, error);
         return !error;
       }},
  };
  return things;
}

const std::vector<AtANewName>& ThingsAtANewName() {
  static const std::vector<AtANewName> things = {
      {"Nothing", [](const fs::path&, const fs::path&) { return true; }, true},
      {"StaleFile", [](const fs::path& at, const fs::path&) { return !!(std::ofstream(at) << "stale scratch"); }, true},
      {"LinkToTheTarget", Place<Hostile::kLinkOutside>, true},
      {"DanglingLink", [](const fs::path& at, const fs::path& target) {
         return PlaceHostile(at, Hostile::kLinkOutside, target.string() + ".new");
       }, true},
      {"LinkToDevZero", Place<Hostile::kLinkToZero>, true},
      {"HardLinkToTheTarget", [](const fs::path& at, const fs::path& target) {
         std::error_code error;
         fs::create_hard_link(target, at, error);
         return !error;
       }, true},
      {"Fifo", Place<Hostile::kFifo>, true},
      {"Socket", Place<Hostile::kSocket>, true},
      {"Device", Place<Hostile::kDevice>, true},
      {"Folder", Place<Hostile::kFolder>, false},
      {"ReadOnlyFile",
       [](const fs::path& at, const fs::path&) {
         std::ofstream(at) << "read-only";
         fs::permissions(at, fs::perms::owner_read);
         return true;
       },
       false},
  };
  return things;
}

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
