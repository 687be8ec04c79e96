// The win32 backend's side of the seam: the system's own <windows.h>.
// Included through platform/platform.h only.
#ifndef CPUNINST_PLATFORM_BACKEND_WIN32_H
#define CPUNINST_PLATFORM_BACKEND_WIN32_H

#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>

#endif  // CPUNINST_PLATFORM_BACKEND_WIN32_H
