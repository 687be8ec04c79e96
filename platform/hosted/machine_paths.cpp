#include "platform/hosted/machine_paths.h"

namespace platform::hosted {

// Interim rule: host paths only; drive paths are files that do not exist.
bool ResolvePath(const char* path, PathUse, std::string& hostPath) {
  bool drivePath = path[0] != '\0' && path[1] == ':';
  if (drivePath) return false;
  hostPath = path;
  return true;
}

}  // namespace platform::hosted
