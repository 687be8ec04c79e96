// What profctl can see of a file once a call has failed, to tell the user
// why: one backend per platform (file_facts_hosted.cpp, file_facts_win32.cpp).
#ifndef CPUNINST_TOOLS_PROFCTL_FILE_FACTS_H
#define CPUNINST_TOOLS_PROFCTL_FILE_FACTS_H

namespace profctl {

enum class Presence {
  kMissing,  // nothing there, or a folder on the way is missing
  kRegular,
  kOther,    // a directory, a FIFO, a device
  kDenied,   // the system would not even say
  kRefused,  // a drive path the machine folder refuses (a link, a name no FAT disk holds)
};

struct FileFacts {
  Presence presence = Presence::kMissing;
  bool readable = false;       // a regular file that can be opened for reading
  bool readOnly = false;       // a regular file without any write permission
  bool folderWritable = true;  // a file can be created beside it, as far as can be told
};

// Looks at a path as the library would take it (drive paths in the machine
// folder on the hosted build).
FileFacts LookAt(const char* path);

}  // namespace profctl

#endif  // CPUNINST_TOOLS_PROFCTL_FILE_FACTS_H
