// What this process changed on the machine, for the start-up's closing line.
// Once the start-up has begun watching, the hosted file layer notes each host
// path just before it creates, rewrites, deletes or renames it; the first
// note of a path keeps what stood there then. A scratch file made and removed again is therefore no change,
// and a file edited, deleted or moved is one, however it got there.
#ifndef CPUNINST_PLATFORM_HOSTED_CHANGES_H
#define CPUNINST_PLATFORM_HOSTED_CHANGES_H

#include <string>

namespace platform::hosted {

// Notes start being kept (other programs over the library keep none).
void WatchChanges();

void NoteChangeAhead(const std::string& hostPath);

// Whether any noted path now holds something other than what stood there
// (nothing where a file was, a file where nothing was, or another file or
// other bytes at the name).
bool MachineChanged();

// Forgets every note and stops watching.
void ForgetChanges();

}  // namespace platform::hosted

#endif  // CPUNINST_PLATFORM_HOSTED_CHANGES_H
