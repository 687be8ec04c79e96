// The seam between the program and the system under it. Code above the
// platform is plain Win32 code: it uses the Win32 subset declared here under
// its Win32 names, with the Win32 values and meanings, and builds unchanged
// over either backend:
//   win32   the real API (<windows.h>), defined by the system;
//   hosted  the same names declared by platform/backend/hosted.h and defined
//           by platform/hosted/ over a Windows 95 machine kept in a folder.
// Every backend keeps this contract:
//   - the calls answer as Windows 95 does (a deleted key takes its subkeys);
//   - files are reached only through native_file.h, under text_file.h and
//     files.h, which add DOS text mode and the fault seam of fault.h;
//   - DeleteKeyTree below is the one call that is not Win32's own.
// This header selects the backend; nothing else names one.
#ifndef CPUNINST_PLATFORM_PLATFORM_H
#define CPUNINST_PLATFORM_PLATFORM_H

#if defined(_WIN32)
#include "platform/backend/win32.h"
#else
#include "platform/backend/hosted.h"
#endif

namespace platform {

// Deletes a key with every key below it, as Windows 95's RegDeleteKeyA does;
// NT and Wine (which plays NT by default) refuse a key that has subkeys, so
// the program calls this, never RegDeleteKeyA, where a subtree must go.
LONG DeleteKeyTree(HKEY parent, LPCSTR subKey);

}  // namespace platform

#endif  // CPUNINST_PLATFORM_PLATFORM_H
