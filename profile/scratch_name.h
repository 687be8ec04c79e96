// The scratch file's name: the edited path cut at its last '.', plus ".$$$".
#ifndef CPUNINST_PROFILE_SCRATCH_NAME_H
#define CPUNINST_PROFILE_SCRATCH_NAME_H

#include <span>

namespace profile {

enum class ScratchName {
  kBuilt,
  kNoDot,     // nothing to cut: the path holds no '.'
  kTooLong,   // the name would not fit the operation's line buffer
  kIsScratch  // the path already ends in ".$$$": it would be its own scratch file
};

// Builds the scratch name of path into out (NUL included), refusing the
// names an edit must never run through.
ScratchName BuildScratchName(std::span<char> out, const char* path);

}  // namespace profile

#endif  // CPUNINST_PROFILE_SCRATCH_NAME_H
