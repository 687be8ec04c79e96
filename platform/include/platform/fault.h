// The one seam through which tests make a file operation fail. With no hook
// installed every operation runs normally; a hook that answers true makes the
// operation fail as if the system had refused it.
#ifndef CPUNINST_PLATFORM_FAULT_H
#define CPUNINST_PLATFORM_FAULT_H

namespace platform {

// Each value is checked once per call of the matching operation: kOpen per
// open of a text stream, kRead per line piece read, kWrite per write call,
// kFlush per flush to stable storage, kDelete and kRename per file removal and
// rename. ReplaceFile asks kDelete (may the old file go?), then kReplace,
// then kRename (the move); failing kReplace makes the system answer that it
// has no one-step move, as Windows 95 does, and the delete-then-rename runs,
// asking kDelete and kRename for its two steps.
enum class FileOp { kOpen, kRead, kWrite, kFlush, kDelete, kRename, kReplace };

using FaultHook = bool (*)(FileOp op, const char* path, void* context);

// Installs the hook (null removes it). Returns the previous hook.
FaultHook SetFaultHook(FaultHook hook, void* context);

// True when the installed hook wants this operation to fail.
bool ShouldFail(FileOp op, const char* path);
// Whether a hook is installed: without one every operation's answer is the
// same, so a run of them may ask once.
bool FaultHookInstalled();

}  // namespace platform

#endif  // CPUNINST_PLATFORM_FAULT_H
