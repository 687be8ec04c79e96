// What runs around the program: static constructors before it, atexit
// functions and static destructors after it, then the output is flushed.
#include <windows.h>

#include <array>
#include <cstdlib>

#include "runtime.h"

// Laid out by the linker: a count (or -1), the functions, a null.
extern "C" {
using ListedFunction = void (*)();
extern ListedFunction __CTOR_LIST__[];
extern ListedFunction __DTOR_LIST__[];
}

namespace {

constexpr int kAbortStatus = 3;
constexpr std::size_t kExitFunctions = 32;  // what C promises at least

std::array<void (*)(), kExitFunctions> exitFunctions{};
std::size_t exitCount = 0;

void RunDestructors() {
  for (ListedFunction* at = __DTOR_LIST__ + 1; *at != nullptr; ++at) (*at)();
}

}  // namespace

extern "C" {

int atexit(void (*function)()) {
  if (exitCount == exitFunctions.size()) return -1;
  exitFunctions[exitCount++] = function;
  return 0;
}

// GCC calls this at the top of main; the GUI start-up calls it before
// WinMain. Constructors run from the last listed to the first.
void __main() {
  static bool done = false;
  if (done) return;
  done = true;
  std::size_t count = 0;
  while (__CTOR_LIST__[count + 1] != nullptr) ++count;
  for (std::size_t i = count; i >= 1; --i) __CTOR_LIST__[i]();
  atexit(RunDestructors);
}

void abort() {
  ExitProcess(kAbortStatus);
}

}  // extern "C"

namespace runtime {

void Exit(int status) {
  while (exitCount > 0) exitFunctions[--exitCount]();
  FlushStreams();
  ExitProcess(static_cast<UINT>(status));
}

void Fail(const char* what) {
  WriteFailure(what);
  ExitProcess(kAbortStatus);
}

}  // namespace runtime
