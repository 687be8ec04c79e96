// The command line split into arguments as the C runtimes of Windows 95's
// time split it for main. Plain code over bytes, so the host tests it too.
#ifndef CPUNINST_PLATFORM_WIN32_RUNTIME_COMMAND_LINE_H
#define CPUNINST_PLATFORM_WIN32_RUNTIME_COMMAND_LINE_H

#include <cstddef>

namespace runtime {

struct CommandLineSize {
  std::size_t count = 0;  // arguments, the program name included
  std::size_t bytes = 0;  // their texts with a NUL each
};

// The rules:
// - The program name runs to the next quote when it starts with one, else
//   to the first blank (space or tab); backslashes are plain there.
// - Arguments are separated by blanks outside quotes. 2N backslashes before
//   a quote give N backslashes and the quote starts or ends quoting; 2N+1
//   give N and a literal quote; other backslashes stay as they are. Inside
//   quotes, "" gives a literal quote and ends quoting.
// Counts only when argv and text are null; else argv gets the count of
// pointers into text, then a null pointer.
CommandLineSize SplitCommandLine(const char* line, char** argv, char* text);

// What follows the program name and the blanks after it: WinMain's line.
const char* CommandTail(const char* line);

}  // namespace runtime

#endif  // CPUNINST_PLATFORM_WIN32_RUNTIME_COMMAND_LINE_H
