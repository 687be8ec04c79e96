// The entry of a console program: main gets the command line split as the
// C runtimes of Windows 95's time split it.
#include <windows.h>

#include "command_line.h"
#include "runtime.h"

extern "C" void __main();
// The program's main, by its assembler name: C++ may not name main itself.
extern "C" int ProgramMain(int argc, char** argv) __asm__(RUNTIME_SYMBOL("main"));

namespace {

constexpr const char* kNoMemory = "out of memory for the command line";

}  // namespace

extern "C" void mainCRTStartup() {
  __main();
  const char* line = GetCommandLineA();
  runtime::CommandLineSize size = runtime::SplitCommandLine(line, nullptr, nullptr);
  std::size_t pointers = (size.count + 1) * sizeof(char*);
  void* block = HeapAlloc(GetProcessHeap(), 0, pointers + size.bytes);
  if (block == nullptr) runtime::Fail(kNoMemory);
  auto** argv = static_cast<char**>(block);
  runtime::SplitCommandLine(line, argv, static_cast<char*>(block) + pointers);
  runtime::Exit(ProgramMain(static_cast<int>(size.count), argv));
}
