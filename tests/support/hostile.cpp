#include "hostile.h"

#include <cstring>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <sys/un.h>
#include <unistd.h>

#include "folder.h"

namespace test_support {
namespace fs = std::filesystem;

namespace {

// Bound under a short name (a socket path has little room), then moved.
bool PlaceSocket(const fs::path& path) {
  TempFolder folder;
  std::string name = folder.Path("s");
  sockaddr_un address{};
  address.sun_family = AF_UNIX;
  bool placed = false;
  if (name.size() < sizeof(address.sun_path)) {
    std::memcpy(address.sun_path, name.c_str(), name.size() + 1);
    int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
    placed = fd >= 0 && ::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof(address)) == 0 &&
             ::rename(name.c_str(), path.c_str()) == 0;
    if (fd >= 0) ::close(fd);
  }
  return placed;
}

}  // namespace

std::string_view HostileName(Hostile kind) {
  switch (kind) {
    case Hostile::kFolder: return "folder";
    case Hostile::kFifo: return "FIFO";
    case Hostile::kLinkOutside: return "link outside";
    case Hostile::kLinkToZero: return "link to /dev/zero";
    case Hostile::kDevice: return "device";
    case Hostile::kSocket: return "socket";
  }
  return "?";
}

bool PlaceHostile(const fs::path& path, Hostile kind, const fs::path& outside) {
  std::error_code error;
  switch (kind) {
    case Hostile::kFolder: return fs::create_directory(path, error);
    case Hostile::kFifo: return ::mkfifo(path.c_str(), 0644) == 0;
    case Hostile::kLinkOutside: fs::create_symlink(outside, path, error); return !error;
    case Hostile::kLinkToZero: fs::create_symlink("/dev/zero", path, error); return !error;
    case Hostile::kDevice: return ::mknod(path.c_str(), S_IFCHR | 0644, makedev(1, 5)) == 0;
    case Hostile::kSocket: return PlaceSocket(path);
  }
  return false;
}

}  // namespace test_support
