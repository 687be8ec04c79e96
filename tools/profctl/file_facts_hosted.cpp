#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <string>

#include "platform/hosted/machine/paths.h"
#include "platform/hosted/posix_io.h"
#include "tools/profctl/file_facts.h"

namespace profctl {
namespace {

using platform::hosted::PathLookup;

std::string FolderOf(const std::string& hostPath) {
  std::string::size_type slash = hostPath.rfind('/');
  if (slash == std::string::npos) return ".";
  return slash == 0 ? "/" : hostPath.substr(0, slash);
}

}  // namespace

FileFacts LookAt(const char* path) {
  FileFacts facts;
  std::string hostPath;
  switch (platform::hosted::LookUpPath(path, platform::hosted::PathUse::kCreate, hostPath)) {
    case PathLookup::kMissing: return facts;
    case PathLookup::kRefused:
      // With no machine folder a drive path names a file that does not exist.
      if (platform::hosted::MachineFolder() != nullptr) facts.presence = Presence::kRefused;
      return facts;
    case PathLookup::kFound: break;
  }
  facts.folderWritable = ::access(FolderOf(hostPath).c_str(), W_OK) == 0;
  struct stat info {};
  if (::stat(hostPath.c_str(), &info) != 0) {
    if (errno == EACCES) facts.presence = Presence::kDenied;
    return facts;
  }
  if (!S_ISREG(info.st_mode)) {
    facts.presence = Presence::kOther;
    return facts;
  }
  facts.presence = Presence::kRegular;
  facts.readable = ::access(hostPath.c_str(), R_OK) == 0;
  facts.readOnly = !platform::hosted::HasWriteBit(info.st_mode);
  return facts;
}

}  // namespace profctl
