// What the pieces of the Windows programs' own runtime share. The runtime
// stands in for the C and C++ runtimes that MinGW-w64 would link: those need
// msvcrt.dll (missing on retail Windows 95) and a P6 CPU.
#ifndef CPUNINST_PLATFORM_WIN32_RUNTIME_RUNTIME_H
#define CPUNINST_PLATFORM_WIN32_RUNTIME_RUNTIME_H

#include <cstddef>

// The assembler name of a C symbol (i686 puts an underscore before it), for
// names C++ may not spell: main, and the __imp_ pointers of imported calls.
#define RUNTIME_STRINGIZE2(x) #x
#define RUNTIME_STRINGIZE(x) RUNTIME_STRINGIZE2(x)
#define RUNTIME_SYMBOL(name) RUNTIME_STRINGIZE(__USER_LABEL_PREFIX__) name
#define RUNTIME_IMPORT_POINTER(name) "__imp_" RUNTIME_SYMBOL(name)

namespace runtime {

// Runs the atexit functions (the static destructors among them), flushes
// the output and ends the process with `status`.
[[noreturn]] void Exit(int status);

// Writes what went wrong on standard error and ends the process with
// status 3, as abort does, without running anything else.
[[noreturn]] void Fail(const char* what);

// Writes out whatever the output streams hold.
void FlushStreams();

// The message of Fail on standard error, whatever state the stream is in.
void WriteFailure(const char* what);

}  // namespace runtime

#endif  // CPUNINST_PLATFORM_WIN32_RUNTIME_RUNTIME_H
