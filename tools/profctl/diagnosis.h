// Why a call did not do what was asked, as far as profctl can tell by
// looking at the files after it: the one line the tool writes on standard
// error whenever its exit status is 1.
#ifndef CPUNINST_TOOLS_PROFCTL_DIAGNOSIS_H
#define CPUNINST_TOOLS_PROFCTL_DIAGNOSIS_H

#include <cstddef>
#include <string>
#include <string_view>

namespace profctl {

// The kind of operation that was called, which says what its codes mean.
enum class Edit {
  kNone,         // a reader: no scratch file
  kLineRemoval,  // FileDeleteLine: 1 nothing matched, 2 any failure
  kKeyEdit,      // key removal or replacement: 1 nothing to change or a failure, -1 not replaced
  kAddition,     // always changes the file: 1 a failure, -1 not replaced
};

struct Call {
  const char* path = nullptr;
  const char* section = nullptr;     // null: the whole file
  const char* key = nullptr;         // null: the operation takes none
  Edit edit = Edit::kNone;
  int code = 0;                      // the result code of a rewriting operation
  std::size_t composedLength = 0;    // the line the operation composes, if it does
};

std::string Reason(const Call& call);

// "PROGRAM: FILE: REASON" and a line end; control bytes in the names are
// shown as \xNN, so it stays one line.
std::string DiagnosticLine(std::string_view program, const Call& call);

}  // namespace profctl

#endif  // CPUNINST_TOOLS_PROFCTL_DIAGNOSIS_H
