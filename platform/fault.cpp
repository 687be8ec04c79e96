#include "platform/fault.h"

namespace platform {
namespace {

FaultHook installedHook = nullptr;
void* installedContext = nullptr;

}  // namespace

FaultHook SetFaultHook(FaultHook hook, void* context) {
  FaultHook previous = installedHook;
  installedHook = hook;
  installedContext = context;
  return previous;
}

bool ShouldFail(FileOp op, const char* path) {
  return installedHook != nullptr && installedHook(op, path, installedContext);
}

bool FaultHookInstalled() { return installedHook != nullptr; }

}  // namespace platform
