// Why a call did not do what was asked: the library's own reason for it
// (ProfileLastResult), worded as the one line profctl writes on standard
// error whenever its exit status is 1.
#ifndef CPUNINST_TOOLS_PROFCTL_DIAGNOSIS_H
#define CPUNINST_TOOLS_PROFCTL_DIAGNOSIS_H

#include <string>
#include <string_view>

#include "profile/profile.h"

namespace profctl {

struct Call {
  const char* path = nullptr;
  const char* section = nullptr;  // null: the whole file
  const char* key = nullptr;      // null: the operation takes none
  bool edit = false;              // a rewriting operation, not a reader
};

// "PROGRAM: FILE: REASON" and a line end; control bytes in the names are
// shown as \xNN, so it stays one line.
std::string DiagnosticLine(std::string_view program, const Call& call, ProfileResult result);

}  // namespace profctl

#endif  // CPUNINST_TOOLS_PROFCTL_DIAGNOSIS_H
