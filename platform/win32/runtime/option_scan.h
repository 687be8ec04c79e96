// getopt_long's scan, for the Windows programs' own runtime: short options
// (clusters, glued or separate values, "::" for an optional value), long
// options with unique abbreviations and --name=value, "--" and a lone "-".
// Options end at the first operand (a leading '+' is accepted; nothing is
// ever reordered), and a leading ':' makes a missing value answer ':'. It
// prints nothing. Plain code, so the host tests it against its C library.
#ifndef CPUNINST_PLATFORM_WIN32_RUNTIME_OPTION_SCAN_H
#define CPUNINST_PLATFORM_WIN32_RUNTIME_OPTION_SCAN_H

#include <getopt.h>

namespace runtime {

// What the C library keeps in optind, optarg and optopt, and the rest of a
// cluster of short options being read.
struct OptionScan {
  int index = 1;
  char* value = nullptr;
  int unknown = '?';
  char* cluster = nullptr;
};

int NextOption(OptionScan& scan, int argc, char* const* argv, const char* shortOptions,
               const option* longOptions, int* longIndex);

}  // namespace runtime

#endif  // CPUNINST_PLATFORM_WIN32_RUNTIME_OPTION_SCAN_H
