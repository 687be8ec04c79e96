// getopt_long under its C name and globals, over the runtime's scan.
#include <getopt.h>

#include "option_scan.h"

namespace {

runtime::OptionScan scan;

}  // namespace

extern "C" {

int optind = 1;
int opterr = 1;  // kept for callers; this runtime never prints
int optopt = '?';
char* optarg = nullptr;

int getopt_long(int argc, char* const* argv, const char* shortOptions,
                const option* longOptions, int* longIndex) {
  // optind 0 starts a fresh scan, as in the C libraries; a caller who moved
  // optind restarts the scan there.
  if (optind <= 0) {
    scan = {};
  } else if (optind != scan.index) {
    scan = {};
    scan.index = optind;
  }
  int code = runtime::NextOption(scan, argc, argv, shortOptions, longOptions, longIndex);
  optind = scan.index;
  optarg = scan.value;
  optopt = scan.unknown;
  return code;
}

int getopt(int argc, char* const* argv, const char* shortOptions) {
  return getopt_long(argc, argv, shortOptions, nullptr, nullptr);
}

}  // extern "C"
