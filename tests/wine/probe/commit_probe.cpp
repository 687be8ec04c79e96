// A Windows-side probe for the Wine tests: one edit of FILE (key wave of
// section drivers set to b) with the platform's fault seam set as MODE asks,
// so the replace paths Wine itself never takes can run under Wine too.
//
//   commit_probe MODE FILE      prints the edit's result code
//
//   one-step                   no fault: MoveFileExA replaces the file
//   no-one-step                the one-step move answers "not implemented"
//                              (as on Windows 95): delete, then rename
//   no-one-step-rename-fails   that, and the rename fails
//   move-fails                 the one-step move fails
//   held-open                  no fault, but FILE is held open without
//                              FILE_SHARE_DELETE, so Windows refuses the move
//   which-path                 no fault; prints after the code the path the
//                              commit took, as the system's version chose it:
//                              one-step, or delete-rename (Windows 95)
#include <cstdio>
#include <cstring>

#include "fault_plan.h"
#include "platform/fault.h"
#include "platform/platform.h"
#include "profile/profile.h"

namespace {

struct Mode {
  const char* name;
  bool noOneStep;
  bool renameFails;
  bool holdOpen;
  bool tellPath;
};

constexpr Mode kModes[] = {
    {"one-step", false, false, false, false},
    {"no-one-step", true, false, false, false},
    {"no-one-step-rename-fails", true, true, false, false},
    {"move-fails", false, true, false, false},
    {"held-open", false, false, true, false},
    {"which-path", false, false, false, true},
};

// The seam is asked once about the rename before the one-step move, and
// once more when the commit deletes and renames instead.
constexpr int kRenamesOneStep = 1;

const Mode* chosen = nullptr;

}  // namespace

int main(int argc, char** argv) {
  for (const Mode& mode : kModes) {
    if (argc == 3 && std::strcmp(argv[1], mode.name) == 0) chosen = &mode;
  }
  if (chosen == nullptr) {
    std::fprintf(stderr, "usage: commit_probe MODE FILE\n");
    return 64;
  }
  HANDLE held = INVALID_HANDLE_VALUE;
  if (chosen->holdOpen) {
    held = CreateFileA(argv[2], GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                       FILE_ATTRIBUTE_NORMAL, nullptr);
    if (held == INVALID_HANDLE_VALUE) return 1;
  }
  test_support::FaultPlan plan = chosen->renameFails ? test_support::FaultPlan::From(platform::FileOp::kRename, 1)
                                                     : test_support::FaultPlan::Counting();
  plan.oneStep = !chosen->noOneStep;
  test_support::ScopedFaultHook hook(plan);
  int code = IniSetString(argv[2], "drivers", "wave", "b");
  if (chosen->tellPath) {
    bool oneStep = plan.Calls(platform::FileOp::kRename) == kRenamesOneStep;
    std::printf("%d %s\n", code, oneStep ? "one-step" : "delete-rename");
  } else {
    std::printf("%d\n", code);
  }
  if (held != INVALID_HANDLE_VALUE) CloseHandle(held);
  return 0;
}
