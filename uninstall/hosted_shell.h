// The hosted program's shell, in the C runtime's place: the arguments
// (--help, --version), the machine it refuses, the call of WinMain, the
// restart afterwards when the program asked for it, and the one line that
// says what happened. Linked only into the hosted programs; the machine
// gives it facts, and it words them.
#ifndef CPUNINST_UNINSTALL_HOSTED_SHELL_H
#define CPUNINST_UNINSTALL_HOSTED_SHELL_H

#include <string>

#include "platform/platform.h"

namespace platform::hosted {
struct BootResult;
struct MachineProblem;
}  // namespace platform::hosted

namespace uninstall {

// The program's entry, as the C runtime knows it.
using WinMainEntry = int(WINAPI*)(HINSTANCE, HINSTANCE, LPSTR, int);

// The program's main over the machine WIN95_MACHINE names, calling winMain;
// the exit status.
int RunHostedShell(int argc, char** argv, WinMainEntry winMain);

// Why the machine is refused, in one line (without the program's name).
std::string RefusalLine(const platform::hosted::MachineProblem& problem);

// What a restart did: "restarted: 5 files deleted", with moves, files
// already gone and failures added only when there were any.
std::string RestartLine(const platform::hosted::BootResult& boot);

// The last line of a run that did not restart: whether it changed the machine.
std::string ClosingLine(bool machineChanged);

}  // namespace uninstall

#endif  // CPUNINST_UNINSTALL_HOSTED_SHELL_H
