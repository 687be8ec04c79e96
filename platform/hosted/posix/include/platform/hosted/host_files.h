// The calls that change what stands at a host name, as one interface: a
// wrapper that overrides them sees every change a run makes (the change
// notes behind cpuninst's closing line are one). The base class is the host
// as it is.
#ifndef CPUNINST_PLATFORM_HOSTED_HOST_FILES_H
#define CPUNINST_PLATFORM_HOSTED_HOST_FILES_H

#include <string>
#include <sys/types.h>

namespace platform::hosted {

class HostFiles {
 public:
  virtual ~HostFiles() = default;

  // Creates a new file, never through a link or over what exists; the
  // descriptor, or -1.
  virtual int CreateNew(const std::string& hostPath, mode_t mode);
  // Removes the name (a link goes as a link).
  virtual bool Unlink(const std::string& hostPath);
  // Renames from onto to: in one step over an existing file with replace,
  // otherwise never replacing one.
  virtual bool Rename(const std::string& from, const std::string& to, bool replace);

  // The host's own calls, unwrapped.
  static HostFiles& Plain();
};

}  // namespace platform::hosted

#endif  // CPUNINST_PLATFORM_HOSTED_HOST_FILES_H
